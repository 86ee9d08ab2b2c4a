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
# One target a core at a time: each still runs its full time on a core of its own.
run_target() {
  local target=$1 corpus=build-fuzz/corpus/$1 log=build-fuzz/$1.log
  mkdir -p "$corpus"
  build-fuzz/$target -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=build-fuzz/crashes/"$target"- "$corpus" >"$log" 2>&1
}
pids=()
names=()
finish() {
  local i status
  for i in "${!pids[@]}"; do
    status=0
    wait "${pids[$i]}" || status=$?
    echo "== ${names[$i]}: $seconds s =="
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done )' "build-fuzz/${names[$i]}.log" || true
    if ((status != 0)); then
      tail -n 60 "build-fuzz/${names[$i]}.log"
      exit "$status"
    fi
  done
  pids=()
  names=()
}
for target in "${targets[@]}"; do
  run_target "$target" &
  pids+=($!)
  names+=("$target")
  if ((${#pids[@]} >= jobs)); then finish; fi
done
finish
echo "fuzzing: no crash in ${#targets[@]} targets"
