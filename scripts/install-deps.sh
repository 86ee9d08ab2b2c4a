#!/usr/bin/env bash
# Installs the Debian packages a purpose needs, only those that are missing:
#   install-deps.sh build     the plug-in (VST 2 and LV2) and vst2host
#   install-deps.sh tests     the tests and benchmarks (Linux builds)
#   install-deps.sh cross     the mingw-w64 cross compilers (Windows DLLs, packaging)
#   install-deps.sh windows   the cross compilers, 64-bit Wine and what the Wine tests use
#   install-deps.sh wine32    32-bit Wine (the i386 architecture) for the 32-bit DLL's tests
#   install-deps.sh fuzz      clang and its libFuzzer and sanitizer runtimes
#   install-deps.sh survey    Debian's third-party VST 2 plug-ins, for vst2host validate sweeps
# Several groups may be named; no argument means build. Exits 0 when everything wanted is
# installed, else 1 after naming what could not be had.
set -euo pipefail

build=(build-essential cmake pkg-config libsndfile1-dev
       lv2-dev)  # the LV2 headers: the bundle is part of the normal build
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
  # The LV2 tests: lilv for the test host and lv2apply, and the Turtle validator.
  liblilv-dev lilv-utils sordi
  clang-14  # the CLAP records' pinned layouts compiled for the targets no build here makes
)
cross=(g++-mingw-w64-i686 g++-mingw-w64-x86-64)
# Wine with user-mode emulation for machines whose kernel runs no 32-bit x86 code.
windows=("${cross[@]}" wine wine64 qemu-user xvfb xauth)
wine32=(wine32:i386 wine32-preloader:i386)

# clang 14 is Debian 12's own; its runtimes hold libFuzzer.
fuzz=(clang-14 libclang-rt-14-dev)

survey=(dpf-plugins-vst lsp-plugins-vst iem-plugin-suite-vst zam-plugins dragonfly-reverb-vst
        zynaddsubfx-vst)

wanted=()
needI386=0
for group in "${@:-build}"; do
  case $group in
    build) wanted+=("${build[@]}") ;;
    tests) wanted+=("${build[@]}" "${tests[@]}") ;;
    cross) wanted+=("${build[@]}" "${cross[@]}") ;;
    windows) wanted+=("${build[@]}" "${windows[@]}") ;;
    wine32) wanted+=("${wine32[@]}"); needI386=1 ;;
    fuzz) wanted+=("${build[@]}" "${fuzz[@]}") ;;
    survey) wanted+=("${build[@]}" "${survey[@]}") ;;
    *) echo "install-deps.sh: unknown group '$group'" \
            "(build, tests, cross, windows, wine32, fuzz, survey)" >&2
       exit 2 ;;
  esac
done

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing_packages() {
  missing=()
  for p in "${wanted[@]}"; do
    installed "$p" || missing+=("$p")
  done
}

missing_packages
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
# Debian's mirrors are sometimes mid-sync and one index fails to download ("File has
# unexpected size ... Mirror sync in progress?"). Retry a few times; if an index still fails,
# the other lists are fresh, so try the install anyway and let it decide.
for attempt in 1 2 3 4; do
  if $sudo apt-get update -qq; then
    break
  fi
  if [ "$attempt" = 4 ]; then
    echo "install-deps.sh: apt-get update failed 4 times; installing from the lists it has" >&2
    break
  fi
  sleep $((attempt * 10))
done
status=0
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" || status=$?
if [ $status -ne 0 ]; then
  missing_packages
  echo "install-deps.sh: could not install: ${missing[*]} (apt-get exit status $status)" >&2
  exit 1
fi
