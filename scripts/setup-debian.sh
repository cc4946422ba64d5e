#!/usr/bin/env bash
# Installs what building, testing and the demo need on Debian 12 (as root, or
# through sudo). Packages already present are left alone.
set -euo pipefail
# --demo: only what building and running the demo needs; --bench: what the
# benchmarks need, with the peers they compare against.
build=(cmake ninja-build g++ pkg-config)
if [ "${1:-}" = "--demo" ]; then
  shift
  packages=("${build[@]}" "$@")
elif [ "${1:-}" = "--bench" ]; then
  shift
  packages=("${build[@]}" libbenchmark-dev libfftw3-dev libkissfft-dev libliquid-dev
            python3 python3-numpy python3-scipy python3-pywt "$@")
else
  packages=("${build[@]}" python3 libgtest-dev libbenchmark-dev
            g++-multilib g++-mingw-w64-i686 g++-mingw-w64-x86-64 qemu-user wine64
            python3-numpy python3-scipy python3-pywt python3-pytest
            clang libclang-rt-14-dev doxygen "$@")
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
