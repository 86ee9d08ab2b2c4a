#!/usr/bin/env bash
# Builds and runs the test suite, one stage or several:
#   scripts/test.sh [native] [sanitize] [tsan] [fuzz] [windows]
#     native    the normal Linux build (preset "native") and all its tests
#     sanitize  the same with address and undefined-behaviour sanitizers; any report fails
#     tsan      the tests that run the plug-in on several threads, with ThreadSanitizer
#     fuzz      each libFuzzer target for 20 seconds, as a smoke test
#     windows   both Windows DLLs cross-built with mingw-w64, their tests under Wine
# No argument runs every stage, in that order.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs="$(nproc)"
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(native sanitize tsan fuzz windows)
for stage in "${stages[@]}"; do
  case $stage in
    native | sanitize | tsan | fuzz | windows) ;;
    *) echo "test.sh: unknown stage '$stage' (native, sanitize, tsan, fuzz, windows)" >&2
       exit 2 ;;
  esac
done

# A Linux stage: install, configure, build and test one preset.
linux_stage() {
  echo "== $1 build =="
  scripts/install-deps.sh tests
  cmake --preset "$1"
  cmake --build --preset "$1" -j"$jobs"
  ctest --preset "$1" -j"$jobs"
}
native() { linux_stage native; }
sanitize() { linux_stage sanitize; }
tsan() {
  echo "== thread sanitizer build =="
  JOBS=$jobs scripts/tsan.sh
}
fuzz() {
  echo "== fuzzing, 20 s a target =="
  JOBS=$jobs scripts/fuzz.sh 20
}

# What a stage could not run, and why: repeated at the end so that a skip is never silent.
skipped=()

windows() {
  scripts/install-deps.sh tests windows
  # The Windows tests compare with the native build's vst2host report and drawn scene.
  if [ ! -x build/tools/vst2host/vst2host ]; then
    cmake --preset native
    cmake --build --preset native -j"$jobs" --target vst2host lotta_router editor_tests
    build/tests/editor/editor_tests --gtest_filter='Scene.*' >/dev/null
  fi
  local arches=(x86_64) why=""
  if ! scripts/install-deps.sh wine32; then
    why="32-bit Wine (wine32:i386) could not be installed from Debian's archive"
  elif ! why=$(scripts/enable-i386-emulation.sh); then
    why=${why#NOTE: }
  else
    arches+=(i686)
  fi
  if [ -n "$why" ]; then
    skipped+=("windows i686 tests not run: $why; the 32-bit DLL was built")
    echo "NOTE: ${skipped[-1]}"
  fi
  for arch in x86_64 i686; do
    echo "== Windows $arch build =="
    local dir=build-win-$arch
    # Release (in the preset): without debug information the cross builds take half the time.
    cmake --preset "windows-$arch"
    cmake --build --preset "windows-$arch" -j"$jobs"
    if [[ " ${arches[*]} " != *" $arch "* ]]; then continue; fi
    echo "== Windows $arch tests under Wine =="
    windows_tests "$dir"
  done
}

windows_tests() {
  # Wine makes windows on an X server: one private Xvfb serves every Wine process of the run
  # (a prefix's desktop keeps the display it started with; the window tests see the server
  # is shared and use it), stopped once the prefix's Wine server has ended.
  export WINEPREFIX="$root/$1/wineprefix" WINEDEBUG=-all
  # A 64-bit prefix made while 32-bit Wine was missing has no 32-bit system and answers 32-bit
  # programs "could not load kernel32.dll": make it afresh.
  if [ "$1" = build-win-i686 ] && grep -qx '#arch=win64' "$WINEPREFIX/system.reg" 2>/dev/null &&
     [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "NOTE: $WINEPREFIX was made without 32-bit Wine; making it afresh"
    rm -rf "$WINEPREFIX"
  fi
  scripts/with-xvfb.sh bash -c '
    set -eu
    # Create the prefix once, then keep one server for all test programs, gone a few seconds
    # after the last.
    scripts/wine-run.sh "$WINEPREFIX" wineboot --init
    wineserver -w  # the server that created it, before ours starts
    wineserver -p5
    # The first programs on a fresh server run one at a time: two started at once there, one
    # of them may never end. A trivial one goes first.
    scripts/wine-run.sh "$WINEPREFIX" cmd /c exit
    # Under emulation each Wine process is slow: few at a time.
    ctest --test-dir "$1" --output-on-failure -j"$2"' windows-tests "$1" "$jobs"
  unset WINEPREFIX
}

for stage in "${stages[@]}"; do
  "$stage"
done
echo "All tests passed: ${stages[*]}."
for note in "${skipped[@]}"; do
  echo "NOTE: $note"
done
