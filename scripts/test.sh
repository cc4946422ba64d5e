#!/usr/bin/env bash
# Builds and runs every test configuration: the native x86-64 build, the -m32
# build, the AddressSanitizer + UndefinedBehaviorSanitizer build, the
# ThreadSanitizer run of the thread tests, and the
# mingw-w64 cross-build of vokx1.dll with its export table checked, and a
# short run of every fuzz target (VOK_FUZZ_SECONDS in all, default 90).
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
echo "== Python package against the native build (Debian's python3, numpy, scipy, PyWavelets)"
VOKX1_LIBRARY=build/release/libvokx1.so /usr/bin/python3 -m pytest -q -p no:cacheprovider python/tests
echo "== 32-bit (-m32)"
# Some kernels are built without 32-bit program support: there the -m32 build
# still compiles everything (its static_asserts check the 32-bit record
# layouts), and the tests run where the kernel can execute them.
cmake --preset m32 -G Ninja >/dev/null
cmake --build --preset m32 -j "$jobs"
if build/m32/tests/vok_frame_tests --gtest_list_tests >/dev/null 2>&1; then
  ctest --preset m32 -j "$jobs"
else
  echo "this kernel cannot execute 32-bit programs: -m32 build checked, its tests not run"
fi
echo "== AddressSanitizer + UndefinedBehaviorSanitizer" && ASAN_OPTIONS=detect_leaks=1 run sanitize
echo "== ThreadSanitizer (thread tests)"
cmake --preset tsan -G Ninja >/dev/null
cmake --build --preset tsan -j "$jobs" --target vok_robustness_tests
build/tsan/tests/vok_robustness_tests --gtest_brief=1
echo "== mingw-w64 i686 vokx1.dll"
cmake --preset mingw -G Ninja >/dev/null
cmake --build --preset mingw -j "$jobs"
python3 tests/scripts/check_exports.py --header-dir include --library build/mingw/vokx1.dll \
  --pe-objdump i686-w64-mingw32-objdump
echo "== fuzz targets (libFuzzer + ASan + UBSan)"
cmake --preset fuzz -G Ninja >/dev/null
cmake --build --preset fuzz -j "$jobs"
fuzzers=(build/fuzz/fuzz/fuzz_*)
budget=${VOK_FUZZ_SECONDS:-90}
per=$(( budget / ${#fuzzers[@]} ))
(( per >= 5 )) || per=5
for f in "${fuzzers[@]}"; do
  corpus=build/fuzz/corpus/$(basename "$f")
  mkdir -p "$corpus"
  log=build/fuzz/$(basename "$f").log
  if ! "$f" -max_total_time="$per" -print_final_stats=1 "$corpus" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz target $(basename "$f") failed"
    exit 1
  fi
  echo "$(basename "$f"): $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') inputs"
done
echo "== HTML reference (no undocumented public names)" && cmake --build build/release --target docs
echo "== all configurations passed"
