#!/usr/bin/env bash
# Installs the built library into a scratch prefix and builds an outside
# consumer twice: through find_package(vokx1) and through pkg-config, with
# the compiler flags in CFLAGS; the rest of the arguments run the consumers.
set -euo pipefail
build_dir=$1
source_dir=$2
shift 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null
libdir=$(ls -d "$scratch"/prefix/lib*/ | head -n 1)

cmake -S "$source_dir/tests/consumer" -B "$scratch/cmake-build" -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/cmake-build" >/dev/null
LD_LIBRARY_PATH="$libdir" "$@" "$scratch/cmake-build/consumer"

export PKG_CONFIG_PATH="$libdir/pkgconfig"
cc ${CFLAGS:-} "$source_dir/tests/consumer/consumer.c" -o "$scratch/pc-consumer" $(pkg-config --cflags --libs vokx1)
LD_LIBRARY_PATH="$libdir" "$@" "$scratch/pc-consumer"
echo "find_package and pkg-config consumers built and ran"

# The Python package finds the installed library through its link next to it
# (checked where an interpreter of the library's word size is at hand: a
# 64-bit python3 cannot load the -m32 build).
pkg=$(find "$scratch/prefix" -path '*/vokx1/__init__.py' | head -n 1)
elf_class=$(od -An -t u1 -j4 -N1 "$libdir/libvokx1.so" | tr -d ' ')  # 1: 32-bit, 2: 64-bit
for py in python3 /usr/bin/python3; do
  if [ -n "$pkg" ] && "$py" -c "import numpy, struct, sys; sys.exit(struct.calcsize('P') != 4 * $elf_class)" 2>/dev/null; then
    env -u VOKX1_LIBRARY PYTHONPATH="$(dirname "$(dirname "$pkg")")" "$py" -c \
      'import vokx1; assert vokx1.fft([1, 0, 0, 0]).tolist() == [1, 1, 1, 1]'
    echo "installed Python package imported"
    break
  fi
done
