#!/usr/bin/env bash
# Builds the tests that run the plug-in on several threads at once (audio, automation, state
# calls; the LV2 build's save during run; the VST 3 build's state calls and the CLAP
# build's save during process) with ThreadSanitizer in build-tsan, and runs them; any race report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-$(nproc)}"

scripts/install-deps.sh tests
cmake --preset tsan
cmake --build --preset tsan -j"$jobs"

export TSAN_OPTIONS="halt_on_error=1 abort_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
# Kernels with many random bits for mmap place libraries where older ThreadSanitizer runtimes
# refuse to run; without address randomisation they always fit.
run=()
if command -v setarch >/dev/null && setarch "$(uname -m)" -R true 2>/dev/null; then
  run=(setarch "$(uname -m)" -R)
fi
"${run[@]}" build-tsan/tests/plugin/plugin_host_tests \
  --gtest_filter='Concurrency.*:StateThreads.*:Lifecycle.*'
"${run[@]}" build-tsan/tests/runtime/runtime_unit_tests \
  --gtest_filter='FftTables.TwoRuntimesConstructedAtOnceShareCompleteTables'
# The LV2 build: a state save while run() runs on another thread.
"${run[@]}" build-tsan/tests/product/lv2/lv2_plugin_tests --gtest_filter='Lv2State.SaveWhileRun*'
# The VST 3 build: state saves and loads while process() runs on another thread.
"${run[@]}" build-tsan/tests/product/vst3/vst3_plugin_tests \
  --gtest_filter='Vst3State.SavesAndLoadsWhileAnotherThreadProcesses'
# The CLAP build: a state save while process() runs on another thread.
"${run[@]}" build-tsan/tests/product/clap/clap_plugin_tests --gtest_filter='ClapState.SaveWhile*'
echo "ThreadSanitizer: no race reported"
