#!/usr/bin/env bash
# The plug-in exports exactly its three entry points, and "main" is the same code as
# VSTPluginMain.
set -eu
plugin=$1
symbols=$(nm -D --defined-only "$plugin" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$symbols" != "MAIN VSTPluginMain main " ]; then
  echo "FAIL: exported symbols are: $symbols"
  exit 1
fi
address() { nm -D --defined-only "$plugin" | awk -v n="$1" '$3 == n {print $1}'; }
if [ "$(address main)" != "$(address VSTPluginMain)" ]; then
  echo "FAIL: main is not an alias of VSTPluginMain"
  exit 1
fi
echo "PASS: $symbols"
