#!/usr/bin/env bash
# Builds the plug-in in every format and vst2host (no tests, no benchmarks), writes a
# 16-channel demo file and renders it through the router with buses 1, 3 and 5 enabled, shows
# the levels of every channel in and out, then says where each plug-in is and how to install
# them all.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build
cmake -S . -B build -DBUILD_TESTING=OFF -DLOTTA_BUILD_BENCH=OFF
# `plugins` is every format's plug-in: a format added to the build is built here too.
cmake --build build -j"$(nproc)" --target plugins vst2host
vst2host=build/tools/vst2host/vst2host
echo
$vst2host info build/lotta_router.so
echo
$vst2host demo-input demo/in.wav
$vst2host render build/lotta_router.so demo/in.wav demo/out.wav \
  --set "enable item bus 1=enabled" \
  --set "enable item bus 3=enabled" \
  --set "enable item bus 5=enabled" \
  --report
echo
scripts/list-plugins.sh build
