#!/usr/bin/env bash
# Builds and runs every test configuration: the native x86-64 build, the -m32
# build, the AddressSanitizer + UndefinedBehaviorSanitizer build, and the
# mingw-w64 cross-build of vokx1.dll with its export table checked.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
jobs=$(nproc)

run() {  # preset
  cmake --preset "$1" -G Ninja >/dev/null
  cmake --build --preset "$1" -j "$jobs"
  ctest --preset "$1" -j "$jobs"
}

echo "== native x86-64" && run release
echo "== 32-bit (-m32)" && run m32
echo "== AddressSanitizer + UndefinedBehaviorSanitizer" && ASAN_OPTIONS=detect_leaks=1 run sanitize
echo "== mingw-w64 i686 vokx1.dll"
cmake --preset mingw -G Ninja >/dev/null
cmake --build --preset mingw -j "$jobs"
python3 tests/scripts/check_exports.py --header-dir include --library build/mingw/vokx1.dll \
  --pe-objdump i686-w64-mingw32-objdump
echo "== all configurations passed"
