#!/usr/bin/env bash
# The quick start builds the `plugins` target and then runs scripts/list-plugins.sh: every
# plug-in it lists must exist after a build, and every plug-in library the product folder
# makes (every format's) must be listed, as a file or inside a listed bundle.
#   check_plugin_list.sh BUILD_DIR LIST_SCRIPT PLUGIN_LIBRARY...
set -uo pipefail
build=$1 script=$2
shift 2
fail=0
bash "$script" "$build" || { echo "list-plugins.sh failed"; fail=1; }
mapfile -t listed < <(cut -f2 "$build/plugins.txt")
for library in "$@"; do
  found=0
  for path in "${listed[@]}"; do
    [[ $library == "$path" || $library == "$path"/* ]] && found=1
  done
  if ((!found)); then
    echo "$library is built but not listed: its format's CMake function should call lotta_list_plugin"
    fail=1
  fi
done
exit $fail
