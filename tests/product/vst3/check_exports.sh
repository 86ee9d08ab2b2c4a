#!/usr/bin/env bash
# The VST 3 module exports exactly its module functions: GetPluginFactory, ModuleEntry and
# ModuleExit on Linux; GetPluginFactory, InitDll and ExitDll, undecorated, on Windows.
#   check_exports.sh elf MODULE.so
#   check_exports.sh pe MODULE.vst3 OBJDUMP
set -eu
kind=$1 module=$2
if [ "$kind" = elf ]; then
  expected="GetPluginFactory ModuleEntry ModuleExit "
  names=$(nm -D --defined-only "$module" | awk '{print $3}' | sort | tr '\n' ' ')
else
  expected="ExitDll GetPluginFactory InitDll "
  names=$("$3" -p "$module" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          awk '/^[ \t]*\[ *[0-9]+\]/ {print $NF}' | sort | tr '\n' ' ')
fi
if [ "$names" != "$expected" ]; then
  echo "FAIL: $module exports: $names (expected: $expected)"
  exit 1
fi
echo "PASS: exports $names"
