#!/usr/bin/env bash
# Builds and runs every test configuration: the native x86-64 build, the -m32
# build (under qemu-i386 where the kernel cannot execute 32-bit programs), the
# AddressSanitizer + UndefinedBehaviorSanitizer build, the ThreadSanitizer run
# of the thread tests, the mingw-w64 i686 vokx1.dll with its export table and
# stdcall decorations checked, the x86-64 vokx1.dll with the whole suite run
# under Wine, and a short run of every fuzz target (VOK_FUZZ_SECONDS in all,
# default 90).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
jobs=$(nproc)

section() {  # title; the elapsed time tells what each configuration costs
  echo "== $1 (at $((SECONDS / 60))m$((SECONDS % 60))s)"
}

run() {  # preset
  cmake --preset "$1" -G Ninja >/dev/null
  cmake --build --preset "$1" -j "$jobs"
  ctest --preset "$1" -j "$jobs"
}

section "native x86-64" && run release
section "Python package against the native build (Debian's python3, numpy, scipy, PyWavelets)"
VOKX1_LIBRARY=build/release/libvokx1.so /usr/bin/python3 -m pytest -q -p no:cacheprovider python/tests
section "32-bit (-m32)"
# The configure step finds out whether this kernel executes 32-bit programs
# (VOK_EMULATE_32BIT=ON takes the emulator anyway, as a kernel without them would).
cmake --preset m32 -G Ninja -DVOK_EMULATE_32BIT="${VOK_EMULATE_32BIT:-OFF}" >/dev/null
emulator=$(sed -n 's/^CMAKE_CROSSCOMPILING_EMULATOR:[A-Z]*=//p' build/m32/CMakeCache.txt)
if [ -n "$emulator" ]; then
  echo "32-bit programs run under ${emulator##*;} (this kernel cannot execute them, or VOK_EMULATE_32BIT=ON)"
else
  echo "32-bit programs run natively"
fi
cmake --build --preset m32 -j "$jobs"
ctest --preset m32 -j "$jobs"
section "AddressSanitizer + UndefinedBehaviorSanitizer" && ASAN_OPTIONS=detect_leaks=1 run sanitize
section "ThreadSanitizer (thread tests)"
cmake --preset tsan -G Ninja >/dev/null
cmake --build --preset tsan -j "$jobs" --target vok_robustness_tests
build/tsan/tests/vok_robustness_tests --gtest_brief=1
section "mingw-w64 i686 vokx1.dll"
cmake --preset mingw -G Ninja >/dev/null
cmake --build --preset mingw -j "$jobs"
python3 tests/scripts/check_exports.py --header-dir include --library build/mingw/vokx1.dll \
  --pe-objdump i686-w64-mingw32-objdump --def build/mingw/vokx1.def
section "mingw-w64 x86-64 vokx1.dll and the suite, run under Wine" && run mingw64
section "fuzz targets (libFuzzer + ASan + UBSan)"
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
section "HTML reference (no undocumented public names)" && cmake --build build/release --target docs
echo "== all configurations passed in $((SECONDS / 60))m$((SECONDS % 60))s"
