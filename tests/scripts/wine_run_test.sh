#!/usr/bin/env bash
# wine_run_test.sh PROGRAM.exe: how scripts/wine-run.sh judges a 32-bit GoogleTest program that
# Wine killed (SIGKILL) as it was leaving, where qemu-i386 emulates 32-bit x86. A stand-in for
# wine writes the report it is asked for, may print Wine's unhandled-exception line, and then
# dies by SIGKILL. Only a report counting no failure, with no such line, passes. The stand-in
# may also fail as the emulator does (its "uncaught target signal" line and SIGSEGV) on its
# first runs: one such run is run again, two fail.
set -u
program=$1
if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  echo "32-bit x86 is not emulated here: nothing to test"
  exit 77
fi
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/wine" <<'STANDIN'
#!/usr/bin/env bash
for arg in "$@"; do
  case $arg in --gtest_output=xml:Z:*) report=${arg#--gtest_output=xml:Z:} ;; esac
done
report=${report//\\//}
runs=$(($(cat "$RUNS" 2>/dev/null || echo 0) + 1))
echo $runs >"$RUNS"
if [ "$runs" -le "${EMULATOR_FAILS:-0}" ]; then
  echo "qemu: uncaught target signal 11 (Segmentation fault) - core dumped" >&2
  kill -SEGV $$
fi
if [ -n "$FAILURES" ]; then
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<testsuites tests="3" failures="%s" disabled="0" errors="0" time="0.1" name="AllTests">\n</testsuites>\n' \
    "$FAILURES" >"$report"
fi
[ -z "$STDERR" ] || echo "$STDERR" >&2
kill -9 $$
STANDIN
chmod +x "$work/wine"
failures=0
unhandled="wine: Unhandled page fault on read access to 00000000 at address 7BC4F3E2 (thread 0024), starting debugger..."
while IFS='|' read -r name report stderr emulatorFails want; do
  rm -f "$work/runs"
  FAILURES=$report STDERR=$stderr EMULATOR_FAILS=$emulatorFails RUNS=$work/runs PATH="$work:$PATH" \
    "$here/../../scripts/wine-run.sh" "$work/prefix" "$program" >"$work/out" 2>&1
  got=$?
  if [ "$got" = "$want" ]; then
    echo "ok   $name"
  else
    echo "FAIL $name: exit status $got, not $want"; sed 's/^/  /' "$work/out"
    failures=$((failures + 1))
  fi
done <<EOF2
report without failures|0||0|0
report with a failure|1||0|137
no report|||0|137
report without failures, unhandled exception|0|$unhandled|0|137
emulator failed once, then a report without failures|0||1|0
emulator failed once, then a report with a failure|1||1|137
emulator failed twice|0||2|139
EOF2
[ $failures = 0 ] && echo "all passed"
[ $failures = 0 ]
