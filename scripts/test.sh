#!/usr/bin/env bash
# Builds and runs the whole test suite twice: a normal build, then one with the address and
# undefined-behaviour sanitizers, where any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
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
echo "All tests passed in both builds."
