#!/usr/bin/env bash
# Builds the library and runs the demo program; arguments go to the demo
# (a 16-bit PCM WAV file to process instead of the built-in signal).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh --demo
# A build of its own without the test suite, which needs packages the demo does not.
cmake --preset release -G Ninja -B build/demo -DVOK_BUILD_TESTS=OFF >/dev/null
cmake --build build/demo -j "$(nproc)" --target vokdemo
exec build/demo/examples/vokdemo "$@"
