#!/usr/bin/env bash
# Runs a Windows program under Wine: wine-run.sh PREFIX PROGRAM [ARGS...]. The prefix is a
# throw-away one inside the build folder; Wine creates it on first use.
#
# A test program may name, in LOTTA_EMULATION_SKIP, GoogleTest cases that 32-bit Wine cannot
# run where this machine emulates 32-bit x86 in user mode (qemu-i386): they are left out
# there, and this script says which.
set -eu
export WINEPREFIX=$1
shift
export WINEDEBUG=-all
# No Mono or Gecko installers (the tests need neither), and no crash debugger: a crashing
# test must end, not wait for someone at a debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"

program=$1
shift
args=("$@")
if [ -n "${LOTTA_EMULATION_SKIP:-}" ] && [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
   objdump -f "$program" 2>/dev/null | grep -q 'file format pei-i386'; then
  echo "NOTE: 32-bit x86 is emulated (qemu-i386) here; skipping $LOTTA_EMULATION_SKIP"
  args+=("--gtest_filter=-$LOTTA_EMULATION_SKIP")
fi
exec wine "$program" "${args[@]}"
