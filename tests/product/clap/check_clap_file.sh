#!/usr/bin/env bash
# The .clap exports exactly one symbol, the data object clap_entry, and (Windows) imports
# nothing but system DLLs.
#   check_clap_file.sh elf PLUGIN.clap
#   check_clap_file.sh pe OBJDUMP PLUGIN.clap
set -eu
if [ "$1" = elf ]; then
  plugin=$2
  exports=$(nm -D --defined-only "$plugin" | awk '{print $2 " " $3}' | tr '\n' ';')
  # D or B: an initialised or zeroed data object, never code (T).
  if [ "$exports" != "D clap_entry;" ] && [ "$exports" != "R clap_entry;" ]; then
    echo "FAIL: exports are: $exports"
    exit 1
  fi
  echo "PASS: exports only the data object clap_entry"
  exit 0
fi
objdump=$2
plugin=$3
dump=$("$objdump" -p "$plugin")
names=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        awk '/^[ \t]*\[ *[0-9]+\]/ {print $NF}' | tr '\n' ' ')
if [ "$names" != "clap_entry " ]; then
  echo "FAIL: exported names are: $names"
  exit 1
fi
for dll in $(printf '%s\n' "$dump" | awk '/DLL Name:/ {print $3}'); do
  case " KERNEL32.dll msvcrt.dll " in
    *" $dll "*) ;;
    *) echo "FAIL: imports $dll"; exit 1 ;;
  esac
done
echo "PASS: exports only clap_entry; imports only KERNEL32.dll and msvcrt.dll"
