#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libsndfile1-dev  # audio files in vst2host
  libfftw3-dev     # the reference transform of the FFT benchmark only
  libcairo2-dev libstb-dev fontconfig fonts-dejavu-core  # drawing on Linux and its tests
  libx11-dev                # the editor's window on Linux
  xvfb xauth libxtst-dev    # the editor's window tests: a private X server and XTEST input
  python3
  # Real third-party hosts whose plug-in scanners the tests run, and a plug-in we did not
  # write for vst2host to render through.
  ardour qtractor dpf-plugins-vst
  # The Windows DLLs: cross compilers, and Wine (64- and 32-bit) with user-mode emulation
  # for machines whose kernel runs no 32-bit x86 code.
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386 wine32-preloader:i386
  qemu-user xvfb xauth
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
# 32-bit Wine comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
