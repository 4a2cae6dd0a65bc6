#!/usr/bin/env bash
# Starts and stops the stand-in service instances that the transfer tests talk to:
#   main       HTTPS with the trusted test certificate, plain HTTP and the TLS echo port
#   untrusted  HTTPS with a certificate that no one trusts
# Each writes NAME.ports, NAME.log, NAME.pid and NAME-data/ into STATE_DIR, and stops by itself
# after its lifetime even when the stop step never runs.
# Usage: service_fixture.sh start SERVICE_PROGRAM STATE_DIR CERT_DIR TOKENS_FILE
#        service_fixture.sh stop STATE_DIR
set -euo pipefail

readonly lifetime_seconds=300
readonly slow_ms=3000

# True while the instance whose ports file is $2 still runs as process $1. The command line is
# compared, so that a stale pid file never names somebody else's process; a process that has
# exited but is not yet reaped counts as gone.
is_instance() {
  local pid=$1 ports_file=$2 state
  tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF -- "--ports-file $ports_file " || return 1
  state=$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | cut -d' ' -f1)
  [ -n "$state" ] && [ "$state" != Z ]
}

stop_instances() {
  local state=$1 pid_file pid ports_file
  for pid_file in "$state"/*.pid; do
    [ -e "$pid_file" ] || continue
    pid=$(cat "$pid_file")
    ports_file=${pid_file%.pid}.ports
    if is_instance "$pid" "$ports_file"; then
      kill "$pid"
      for _ in $(seq 50); do is_instance "$pid" "$ports_file" || break; sleep 0.1; done
    fi
    rm -f "$pid_file"
  done
}

launch() {  # STATE PROGRAM TOKENS NAME CERT KEY [OPTION...]
  local state=$1 program=$2 tokens=$3 name=$4 cert=$5 key=$6
  shift 6
  "$program" --cert "$cert" --key "$key" --tokens "$tokens" --data "$state/$name-data" \
    --ports-file "$state/$name.ports" --lifetime "$lifetime_seconds" --slow-ms "$slow_ms" "$@" \
    </dev/null >"$state/$name.log" 2>&1 &
  echo $! >"$state/$name.pid"
}

case ${1:-} in
start)
  program=$2 state=$3 certs=$4 tokens=$5
  mkdir -p "$state"
  stop_instances "$state"
  rm -rf "${state:?}"/*
  launch "$state" "$program" "$tokens" main "$certs/localhost.pem" "$certs/localhost.key" \
    --http-port 0 --echo-port 0
  launch "$state" "$program" "$tokens" untrusted "$certs/untrusted.pem" "$certs/untrusted.key"
  for _ in $(seq 100); do
    [ -e "$state/main.ports" ] && [ -e "$state/untrusted.ports" ] && exit 0
    sleep 0.1
  done
  echo "the stand-in service did not start:" >&2
  cat "$state"/*.log >&2
  stop_instances "$state"
  exit 1
  ;;
stop)
  stop_instances "$2"
  ;;
*)
  echo "usage: $0 start SERVICE_PROGRAM STATE_DIR CERT_DIR TOKENS_FILE | stop STATE_DIR" >&2
  exit 2
  ;;
esac
