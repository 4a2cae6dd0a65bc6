#!/usr/bin/env bash
# Makes the stand-in service's certificates in OUT_DIR:
#   ca.pem, ca.key                   a test certificate authority
#   localhost.pem, localhost.key     the service's certificate for DNS:localhost and 127.0.0.1,
#                                    signed by that authority
#   untrusted.pem, untrusted.key     the same names signed by a second authority that nobody
#                                    trusts (its own key is thrown away)
# Usage: service/make_certs.sh OUT_DIR
set -euo pipefail
out=${1:?usage: make_certs.sh OUT_DIR}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make_ca() {  # NAME KEY CERT
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 30 -subj "/CN=$1" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout "$2" -out "$3" 2>/dev/null
}

make_leaf() {  # CA_KEY CA_CERT KEY CERT
  openssl req -newkey rsa:2048 -nodes -sha256 -subj "/CN=localhost" -keyout "$3" \
    -out "$work/leaf.csr" 2>/dev/null
  printf '%s\n' "basicConstraints=CA:FALSE" "keyUsage=critical,digitalSignature,keyEncipherment" \
    "extendedKeyUsage=serverAuth" "subjectAltName=DNS:localhost,IP:127.0.0.1" >"$work/leaf.ext"
  openssl x509 -req -in "$work/leaf.csr" -CA "$2" -CAkey "$1" -CAcreateserial \
    -CAserial "$work/serial" -days 30 -sha256 -extfile "$work/leaf.ext" -out "$4" 2>/dev/null
}

make_ca "Larkspur test CA" "$out/ca.key" "$out/ca.pem"
make_leaf "$out/ca.key" "$out/ca.pem" "$out/localhost.key" "$out/localhost.pem"
make_ca "Larkspur untrusted CA" "$work/untrusted-ca.key" "$work/untrusted-ca.pem"
make_leaf "$work/untrusted-ca.key" "$work/untrusted-ca.pem" "$out/untrusted.key" "$out/untrusted.pem"
