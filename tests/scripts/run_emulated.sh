#!/bin/sh
# run_emulated.sh EMULATOR PROGRAM ARGS...: runs a foreign-architecture test
# program under a user-mode emulator. The program sees this script as its
# argv[0], so when it re-executes itself (GoogleTest's threadsafe death tests)
# the child comes back here and runs under the emulator too.
if [ -z "$VOK_EMULATED_PROGRAM" ]; then
  VOK_EMULATOR=$1 VOK_EMULATED_PROGRAM=$2
  export VOK_EMULATOR VOK_EMULATED_PROGRAM
  shift 2
fi
exec "$VOK_EMULATOR" -0 "$0" "$VOK_EMULATED_PROGRAM" "$@"
