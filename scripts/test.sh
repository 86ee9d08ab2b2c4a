#!/usr/bin/env bash
# Builds and runs the whole test suite: a normal build, one with the address and
# undefined-behaviour sanitizers (any report fails the run), then the 64-bit and 32-bit
# Windows DLLs cross-built with mingw-w64 and tested under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh
jobs="$(nproc)"

echo "== normal build =="
cmake -S . -B build -DLOTTA_SANITIZE=OFF -DLOTTA_BUILD_TESTS=ON -DLOTTA_BUILD_TOOLS=ON -DLOTTA_BUILD_BENCH=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== sanitizer build =="
cmake -S . -B build-sanitize -DLOTTA_SANITIZE=ON -DLOTTA_BUILD_TESTS=ON -DLOTTA_BUILD_TOOLS=ON -DLOTTA_BUILD_BENCH=OFF
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

arches=(x86_64)
if scripts/enable-i386-emulation.sh; then
  arches+=(i686)
else
  echo "NOTE: the 32-bit Windows DLL is built but its tests are skipped on this machine"
fi
for arch in x86_64 i686; do
  echo "== Windows $arch build =="
  dir=build-win-$arch
  # Release: without debug information the cross builds take half the time.
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-$arch.cmake \
    -DCMAKE_BUILD_TYPE=Release -DLOTTA_BUILD_TESTS=ON -DLOTTA_BUILD_TOOLS=ON -DLOTTA_BUILD_BENCH=OFF \
    -DLOTTA_REFERENCE_BUILD_DIR="$root/build" -DLOTTA_REFERENCE_SCENE_DIR="$root/build/scenes"
  cmake --build "$dir" -j"$jobs"
  if [[ " ${arches[*]} " != *" $arch "* ]]; then continue; fi
  echo "== Windows $arch tests under Wine =="
  # Wine makes windows on an X server: one private Xvfb serves every Wine process of the run
  # (a prefix's desktop keeps the display it started with; the window tests see the server
  # is shared and use it), stopped once the prefix's Wine server has ended.
  export WINEPREFIX="$root/$dir/wineprefix" WINEDEBUG=-all
  scripts/with-xvfb.sh bash -c '
    set -eu
    # Create the prefix once, then keep one server for all test programs, gone a few seconds
    # after the last.
    scripts/wine-run.sh "$WINEPREFIX" wineboot --init
    wineserver -w  # the server that created it, before ours starts
    wineserver -p5
    # Under emulation each Wine process is slow: few at a time.
    ctest --test-dir "$1" --output-on-failure -j"$2"' windows-tests "$dir" "$jobs"
  unset WINEPREFIX
done
echo "All tests passed."
