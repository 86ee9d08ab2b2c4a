#!/usr/bin/env bash
# Says where each plug-in of a build is (every format, as listed in BUILD_DIR/plugins.txt by
# the build) and how to install them all; fails, naming it, when one has not been built.
#   scripts/list-plugins.sh [BUILD_DIR]    (default: build)
set -euo pipefail
build=${1:-build}
list=$build/plugins.txt
if [[ ! -s $list ]]; then
  echo "no plug-ins listed in $list: configure $build with CMake first" >&2
  exit 1
fi
# Paths below the current folder are shown relative to it, as they are typed from here.
shown() {
  local path=$1
  [[ $path == "$PWD"/* ]] && path=${path#"$PWD"/}
  printf '%s' "$path"
}
missing=0
echo "Plug-ins:"
while IFS=$'\t' read -r format path folder; do
  if [[ -e $path ]]; then
    printf '  %-6s %s\n' "$format" "$(shown "$path")"
  else
    printf '  %-6s %s  (missing: not built)\n' "$format" "$(shown "$path")"
    missing=1
  fi
done <"$list"
echo
echo "Install them all for every user (into /usr/local, see \"Building and installing\"):"
echo "  sudo cmake --install $(shown "$build")"
echo "or for yourself only:"
while IFS=$'\t' read -r format path folder; do
  echo "  mkdir -p $folder && cp -r $(shown "$path") $folder/"
done <"$list"
echo "then rescan plug-ins in the host."
exit $missing
