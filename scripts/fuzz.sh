#!/usr/bin/env bash
# Builds the libFuzzer targets in tests/fuzz with clang 14 (in build-fuzz) and runs each for
# the given number of seconds (default 20). Crashes and their inputs land in build-fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
jobs="${JOBS:-$(nproc)}"

scripts/install-deps.sh tests fuzz

# The plug-in with coverage and the address and undefined-behaviour sanitizers. clang leaves
# the sanitizer runtime out of shared libraries (the program that loads them brings it), so
# the plug-in's link may leave those symbols undefined.
cmake -S . -B build-fuzz/plugin -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLOTTA_SANITIZE=ON -DBUILD_TESTING=OFF -DLOTTA_BUILD_TOOLS=OFF -DLOTTA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_STANDARD_LIBRARIES=-Wl,-z,undefs
cmake --build build-fuzz/plugin -j"$jobs" --target lotta_router
# ...and the fuzz targets that load it.
cmake -S tests/fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLOTTA_ROUTER="$PWD/build-fuzz/plugin/lotta_router.so"
targets=(chunk_fuzzer dispatcher_fuzzer events_fuzzer process_fuzzer)
cmake --build build-fuzz -j"$jobs" --target "${targets[@]}"

mkdir -p build-fuzz/crashes
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1 ${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1 ${UBSAN_OPTIONS:-}"
for target in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$target
  mkdir -p "$corpus"
  echo "== $target: $seconds s =="
  log=build-fuzz/$target.log
  status=0
  build-fuzz/$target -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=build-fuzz/crashes/"$target"- "$corpus" >"$log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done )' "$log" || true
  if ((status != 0)); then
    tail -n 60 "$log"
    exit "$status"
  fi
done
echo "fuzzing: no crash in ${#targets[@]} targets"
