#!/usr/bin/env bash
# Fails when a plug-in needs more of the system than its effect uses.
#   check_plugin_dependencies.sh elf PLUGIN.so        libc, libm, libstdc++, libgcc_s; unloadable
#   check_plugin_dependencies.sh pe OBJDUMP PLUGIN.dll KERNEL32.dll and msvcrt.dll only
set -euo pipefail
kind=$1
shift
fail=0
if [[ $kind == elf ]]; then
  plugin=$1
  allowed=" libc.so.6 libm.so.6 libstdc++.so.6 libgcc_s.so.1 "
  needed=$(readelf -d "$plugin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
  if readelf -d "$plugin" | grep -q 'FLAGS_1.*NODELETE'; then
    echo "$plugin is marked NODELETE: a host's dlclose would never unmap it"
    fail=1
  fi
else
  objdump=$1
  plugin=$2
  allowed=" KERNEL32.dll msvcrt.dll "
  needed=$("$objdump" -p "$plugin" | sed -n 's/^\s*DLL Name: //p')
fi
for library in $needed; do
  if [[ $allowed != *" $library "* ]]; then
    echo "$plugin needs $library"
    fail=1
  fi
done
echo "needs:" $needed
exit $fail
