#!/usr/bin/env bash
# The main job on the bundled example: build the Linux command line and the local stand-in of the
# web service, start the service on loopback, check the demo token's balance, export the example
# scene's package with its log, and send the package to the service as a job.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset linux >/dev/null
cmake --build --preset linux --target larkspur larkspur-service

demo=out/demo
rm -rf "$demo" && mkdir -p "$demo/job"
bash service/make_certs.sh "$demo/certs" >/dev/null

build/linux/service/larkspur-service --cert "$demo/certs/localhost.pem" \
  --key "$demo/certs/localhost.key" --tokens service/tokens.example --data "$demo/service-jobs" \
  --ports-file "$demo/ports" --lifetime 120 >"$demo/service.log" 2>&1 &
service_pid=$!
trap 'kill $service_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$demo/ports" ] && break; sleep 0.1; done
port=$(sed -n 's/^https=//p' "$demo/ports")
url="https://localhost:$port"
export LARKSPUR_TOKEN=demo-token
larkspur=build/linux/cli/larkspur

echo "== balance"
$larkspur balance --service-url "$url" --ca-file "$demo/certs/ca.pem"
echo "== package"
$larkspur package examples/living-room.scene.json "$demo/job/1.json" \
  --scene-out "$demo/scene-after.json"
echo "--- $demo/job/1.log"
cat "$demo/job/1.log"
echo "== submit"
$larkspur submit "$demo/job/1.json" --job-name Living_Room_demo \
  --service-url "$url" --ca-file "$demo/certs/ca.pem"
echo "== balance after the job"
$larkspur balance --service-url "$url" --ca-file "$demo/certs/ca.pem"
echo
echo "The package is $demo/job/1.json; the service stored it under $demo/service-jobs/."
