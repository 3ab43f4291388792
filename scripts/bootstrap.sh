#!/usr/bin/env bash
# Installs what the build trees and their tests need from Debian's packages (the fuzz tree: clang
# and its fuzzer and sanitizer runtimes, which clang alone only recommends). `bootstrap.sh bench`
# adds what only `make bench` needs: makensis, the peer it measures the builder against.
# Idempotent and silent when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build ccache g++ make zlib1g-dev googletest
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine wine64 xvfb libcurl4-openssl-dev
  python3 python3-pyftpdlib x11-apps imagemagick xdotool
  fonts-ipafont-gothic
  clang libclang-rt-14-dev libfuzzer-14-dev
  libdeflate-dev
)
[ "${1:-}" = bench ] && packages+=(nsis)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
