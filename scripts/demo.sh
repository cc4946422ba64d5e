#!/usr/bin/env bash
# Builds the library and runs the demo program; arguments go to the demo
# (a 16-bit PCM WAV file to process instead of the built-in signal).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake --preset release -G Ninja >/dev/null
cmake --build --preset release -j "$(nproc)" --target vokdemo
exec build/release/examples/vokdemo "$@"
