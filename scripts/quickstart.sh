#!/usr/bin/env bash
# Builds the plug-in and its tools, then shows what a host sees of it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DLOTTA_BUILD_TOOLS=ON
cmake --build build -j"$(nproc)"
echo
echo "Plug-in: $(pwd)/build/lotta_router.so"
build/tools/vst2host/vst2host info build/lotta_router.so
