#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libsndfile1-dev  # audio files in vst2host
  libfftw3-dev     # the reference transform of the FFT benchmark only
  libcairo2-dev libstb-dev fontconfig fonts-dejavu-core  # drawing on Linux and its tests
  python3
  # Real third-party hosts whose plug-in scanners the tests run, and a plug-in we did not
  # write for vst2host to render through.
  ardour qtractor dpf-plugins-vst
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
