#!/usr/bin/env bash
# Shared set-up of the scanner tests: arguments, failure report and a private home.
# Sourced with: plugin path, work directory, scanner path, the Debian package that has it.
set -u
plugin=$(realpath "$1")
work=$2
scanner=$3
package=$4

fail() {
  echo "FAIL: $*"
  if [ -f "$work/stdout" ]; then
    echo "--- scanner stdout"; cat "$work/stdout"
    echo "--- scanner stderr"; cat "$work/stderr"
  fi
  exit 1
}

rm -rf "$work"
mkdir -p "$work/home"

# CI installs the package; a missing scanner is a failure, not a reason to skip.
[ -x "$scanner" ] || fail "$scanner is missing: install the Debian package $package"

# Whatever the scanner writes (caches, settings) goes into the build tree, not the real home.
export HOME="$work/home"
export XDG_CACHE_HOME="$HOME/.cache" XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
