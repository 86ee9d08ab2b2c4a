#!/usr/bin/env bash
# compare_info.sh text|json WINE_RUN PREFIX VST2HOST.EXE PLUGIN.DLL [NATIVE_BUILD_DIR]
# Runs the Windows host's info command on the Windows DLL and checks it against the native
# host's report on the native plug-in (both without the plug-in's path).
set -eu
format=$1 wine_run=$2 prefix=$3 host=$4 plugin=$5 native=${6:-}
flag=()
if [ "$format" = json ]; then flag=(--json); fi

# Paths differ by design; Windows consoles end lines with CR LF.
without_path() { tr -d '\r' | grep -v -E '^Plug-in:|^  "path": '; }

windows=$("$wine_run" "$prefix" "$host" info "$plugin" "${flag[@]}" | without_path)
for expected in 'Kelvane_Lotta router' 'Kelvane' '16'; do
  if ! grep -q -F -- "$expected" <<<"$windows"; then
    echo "FAIL: the Windows report lacks '$expected':"
    echo "$windows"
    exit 1
  fi
done

if [ -z "$native" ]; then
  echo "NOTE: no native build given (LOTTA_REFERENCE_BUILD_DIR); not compared with Linux"
  echo "$windows"
  exit 0
fi
linux=$("$native/tools/vst2host/vst2host" info "$native/lotta_router.so" "${flag[@]}" |
        without_path)
if [ "$windows" != "$linux" ]; then
  echo "FAIL: the Windows and Linux reports differ:"
  diff <(echo "$linux") <(echo "$windows") || true
  exit 1
fi
echo "PASS: the Windows report equals the Linux one ($format)"
