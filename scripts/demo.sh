#!/usr/bin/env bash
# Builds the library and runs the demo program; arguments go to the demo
# (a 16-bit PCM WAV file to process instead of the built-in signal, -o folder,
# --help). Paths are taken relative to the folder this script is run from,
# and the outputs go there unless -o says otherwise.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# Set-up and build run in the source tree, in a subshell, so the caller's
# working directory is the demo's.
(
  cd "$root"
  scripts/setup-debian.sh --demo
  # A build of its own without the test suite, which needs packages the demo does not.
  cmake --preset release -G Ninja -B build/demo -DVOK_BUILD_TESTS=OFF >/dev/null
  cmake --build build/demo -j "$(nproc)" --target vokdemo
)
exec "$root/build/demo/examples/vokdemo" "$@"
