#!/usr/bin/env bash
# Runs a Windows program under Wine: wine-run.sh PREFIX PROGRAM [ARGS...]. The prefix is a
# throw-away one inside the build folder; Wine creates it on first use.
#
# A test program may name, in LOTTA_EMULATION_SKIP, GoogleTest cases that 32-bit Wine cannot
# run where this machine emulates 32-bit x86 in user mode (qemu-i386): they are left out
# there, and this script says which.
#
# Under that emulation a 32-bit process takes longer to leave, once its last thread has ended,
# than Wine's server waits (half a second) before it kills the process, so a program that ran
# to its end may still end by SIGKILL. A GoogleTest program run there writes its report to a
# file, and when it ends that way the report decides: it passed if the report counts no
# failure and Wine reported no unhandled exception. A run in which the emulator itself failed
# is run once more.
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
is32bit=0
if objdump -f "$program" 2>/dev/null | grep -q 'file format pei-i386'; then is32bit=1; fi
if [ -n "${LOTTA_EMULATION_SKIP:-}" ] && [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
   [ $is32bit = 1 ]; then
  echo "NOTE: 32-bit x86 is emulated (qemu-i386) here; skipping $LOTTA_EMULATION_SKIP"
  args+=("--gtest_filter=-$LOTTA_EMULATION_SKIP")
fi
# Debian's wine command starts every program with the 32-bit loader once 32-bit Wine is
# installed. Everything but a 32-bit program (64-bit programs, and wineboot, which makes the
# prefix) starts with the 64-bit loader instead, as where 32-bit Wine is missing: run through
# the 32-bit loader under qemu-i386, wineboot --init is killed once it has made the prefix.
wine64=/usr/lib/wine/wine64
if [ $is32bit = 0 ] && [ -x "$wine64" ]; then
  export WINELOADER=$wine64
  # A 64-bit test program ends in seconds. Now and then one that starts threads stops for good
  # under Wine, every thread waiting on the Wine server; it gets one more run after
  # LOTTA_WINE_STALL_SECONDS (default 30), and the stall is said. A second stall fails.
  stall=${LOTTA_WINE_STALL_SECONDS:-30}
  case $program in *.exe) ;; *) exec "$wine64" "$program" "${args[@]}" ;; esac
  for attempt in 1 2; do
    status=0
    timeout -k 5 "$stall" "$wine64" "$program" "${args[@]}" || status=$?
    if [ $attempt = 1 ] && { [ $status = 124 ] || [ $status = 137 ]; }; then
      echo "NOTE: $(basename "$program") stalled under Wine for $stall s; running it once more" >&2
      continue
    fi
    exit $status
  done
fi
if [ $is32bit = 1 ] && [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
   LC_ALL=C grep -qa 'gtest_output' "$program"; then
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' EXIT
  for attempt in 1 2; do
    status=0
    rm -f "$dir/report.xml"
    wine "$program" "${args[@]}" "--gtest_output=xml:Z:${dir//\//\\}\\report.xml" \
      2>"$dir/stderr" || status=$?
    cat "$dir/stderr" >&2
    # Now and then the emulator itself fails under a program ("uncaught target signal": Wine
    # handles the program's own faults, so none reached it). That run tells nothing about the
    # program, which runs once more; a second such failure fails.
    if [ $attempt = 1 ] && [ $status != 0 ] && grep -q '^qemu: uncaught target signal' "$dir/stderr"; then
      echo "NOTE: qemu-i386 failed under this program (exit status $status); running it once more"
      continue
    fi
    break
  done
  if [ $status = 137 ] && grep '<testsuites ' "$dir/report.xml" 2>/dev/null |
       grep -q ' failures="0".* errors="0"' &&
     ! grep -q 'Unhandled\|starting debugger' "$dir/stderr"; then
    echo "NOTE: Wine killed this emulated process as it was leaving; its report counts no failure"
    status=0
  fi
  exit $status
fi
exec wine "$program" "${args[@]}"
