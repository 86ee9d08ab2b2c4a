#!/usr/bin/env bash
# The Windows DLL exports exactly its three entry points, all at one address, and imports
# nothing but system DLLs (the C and C++ runtimes are linked in).
set -eu
objdump=$1
plugin=$2
dump=$("$objdump" -p "$plugin")
names=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        awk '/^[ \t]*\[ *[0-9]+\]/ {print $NF}' | sort | tr '\n' ' ')
if [ "$names" != "MAIN VSTPluginMain main " ]; then
  echo "FAIL: exported names are: $names"
  exit 1
fi
addresses=$(printf '%s\n' "$dump" | sed -n '/Export Address Table --/,/^$/p' |
            awk '/Export RVA/ {print $(NF-2)}' | sort -u | wc -l)
if [ "$addresses" != 1 ]; then
  echo "FAIL: the entry points are at $addresses different addresses"
  exit 1
fi
system_dlls=" KERNEL32.dll msvcrt.dll USER32.dll GDI32.dll gdiplus.dll ole32.dll OLEAUT32.dll SHELL32.dll ADVAPI32.dll "
for dll in $(printf '%s\n' "$dump" | awk '/DLL Name:/ {print $3}'); do
  case "$system_dlls" in
    *" $dll "*) ;;
    *) echo "FAIL: imports $dll, which is not a system DLL"; exit 1 ;;
  esac
done
echo "PASS: exports $names; imports only system DLLs"
