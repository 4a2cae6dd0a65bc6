#!/usr/bin/env bash
# The main job on the bundled example: build the Linux command line and the local stand-in of the
# web service, start the service on loopback, store the demo token as the panel's "Save" does, and
# run Export and Send on the example scene into an Exchange Folder under out/demo. Then show the
# job the service stored and list the job folder.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux >/dev/null
cmake --build --preset linux --target larkspur larkspur-service

demo=out/demo
rm -rf "$demo" && mkdir -p "$demo/exchange"
bash service/make_certs.sh "$demo/certs" >/dev/null

build/linux/service/larkspur-service --cert "$demo/certs/localhost.pem" \
  --key "$demo/certs/localhost.key" --tokens service/tokens.example --data "$demo/service-jobs" \
  --ports-file "$demo/ports" --lifetime 120 >"$demo/service.log" 2>&1 &
service_pid=$!
trap 'kill $service_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$demo/ports" ] && break; sleep 0.1; done
url="https://localhost:$(sed -n 's/^https=//p' "$demo/ports")"
larkspur=build/linux/cli/larkspur
# The simulated host's user scripts folder, where the settings file lives, stays inside the demo.
export XDG_DATA_HOME=$PWD/$demo/host-data
unset LARKSPUR_TOKEN

echo "== settings: the token and the Exchange Folder, stored as the panel stores them"
echo demo-token | $larkspur settings --token-stdin --exchange-folder "$demo/exchange"
echo
echo "== export: Export && Send on examples/living-room.scene.json"
$larkspur export examples/living-room.scene.json --service-url "$url" \
  --ca-file "$demo/certs/ca.pem" --scene-out "$demo/scene-after.json"
echo
echo "== the job the service stored"
for job in "$demo"/service-jobs/*.json; do
  echo "$job ($(wc -c <"$job") bytes):"
  head -n 6 "$job"
  echo "  ..."
done
echo
echo "== the job folder (the package 1.json was deleted after sending; its log 1.log stays)"
(cd "$demo/exchange" && find . -mindepth 1 | sort | sed 's|^\./||')
