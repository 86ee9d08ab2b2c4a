#!/usr/bin/env bash
# Installs the Debian packages a purpose needs, only those that are missing:
#   install-deps.sh build     the plug-in and vst2host
#   install-deps.sh tests     the tests and benchmarks (Linux builds)
#   install-deps.sh windows   the Windows DLLs and their tests under Wine
#   install-deps.sh fuzz      clang and its libFuzzer and sanitizer runtimes
# Several groups may be named; no argument means build.
set -euo pipefail

build=(build-essential cmake pkg-config libsndfile1-dev)
tests=(
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libfftw3-dev     # the reference transform of the FFT benchmark only
  libcairo2-dev libstb-dev fontconfig fonts-dejavu-core  # drawing on Linux and its tests
  libx11-dev                # the editor's window on Linux
  xvfb xauth libxtst-dev    # the editor's window tests: a private X server and XTEST input
  python3 binutils
  # Real third-party hosts whose plug-in scanners the tests run, and a plug-in we did not
  # write for vst2host to render through.
  ardour qtractor dpf-plugins-vst
)
# Cross compilers, and Wine (64- and 32-bit) with user-mode emulation for machines whose
# kernel runs no 32-bit x86 code.
windows=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386 wine32-preloader:i386
  qemu-user xvfb xauth
)

# clang 14 is Debian 12's own; its runtimes hold libFuzzer.
fuzz=(clang-14 libclang-rt-14-dev)

wanted=()
needI386=0
for group in "${@:-build}"; do
  case $group in
    build) wanted+=("${build[@]}") ;;
    tests) wanted+=("${build[@]}" "${tests[@]}") ;;
    windows) wanted+=("${build[@]}" "${windows[@]}"); needI386=1 ;;
    fuzz) wanted+=("${build[@]}" "${fuzz[@]}") ;;
    *) echo "install-deps.sh: unknown group '$group' (build, tests, windows, fuzz)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${wanted[@]}"; do
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
if [ $needI386 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
