#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run its demo.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build git clang-format python3
  googletest libgtest-dev libbenchmark-dev
  nlohmann-json3-dev rapidjson-dev robin-map-dev libcli11-dev libcurl4-openssl-dev libcpp-httplib-dev libssl-dev openssl
  libassimp-dev
  mingw-w64 wine wine64 xvfb xauth
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
