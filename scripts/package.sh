#!/usr/bin/env bash
# Builds the three release packages into packages/:
#   lotta_router-<version>-Linux-x86_64.tar.gz, lotta_router-<version>-win32.zip, -win64.zip
set -euo pipefail
cd "$(dirname "$0")/.."
# Packaging cross-compiles; it runs nothing under Wine.
scripts/install-deps.sh build cross
mkdir -p packages
for preset in package-linux package-win32 package-win64; do
  echo "== $preset =="
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j"$(nproc)"
  cpack --config "build-$preset/CPackConfig.cmake" -B packages >/dev/null
done
rm -rf packages/_CPack_Packages
ls -l packages
