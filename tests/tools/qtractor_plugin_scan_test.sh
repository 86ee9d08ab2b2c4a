#!/usr/bin/env bash
# Runs Qtractor's plug-in scanner on the plug-in, as Qtractor does when it indexes plug-ins, and
# checks the line it answers.
# Usage: qtractor_plugin_scan_test.sh PLUGIN WORKDIR   (WORKDIR is emptied and used as HOME)
set -u
plugin=$(realpath "$1")
work=$2
scanner=/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan

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
[ -x "$scanner" ] || fail "$scanner is missing: install the Debian package qtractor"

# Whatever the scanner writes goes into the build tree, not the real home.
export HOME="$work/home"
export XDG_CACHE_HOME="$HOME/.cache" XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
export QT_QPA_PLATFORM=offscreen

# One request per line, "TYPE:path"; the scanner answers each and exits at the end of input.
printf 'VST2:%s\n' "$plugin" | timeout 60 "$scanner" >"$work/stdout" 2>"$work/stderr"
status=$?
[ "$status" -eq 0 ] || fail "scanner exit status $status"
# It exits 0 even for a file it cannot load, so its words are what count.
if grep -q 'error' "$work/stdout" "$work/stderr"; then fail "scanner reported an error"; fi

# TYPE|name|audio in:out|midi in:out|controls in:out|features|path|index|unique id
mapfile -t lines < <(grep -F "|$plugin|" "$work/stdout")
[ "${#lines[@]}" -eq 1 ] || fail "expected one line naming $plugin, found ${#lines[@]}"
IFS='|' read -r type name audio _midi _controls _features path _index _id <<<"${lines[0]}"
[ "$type" = "VST" ] || fail "type '$type', expected VST"
[ "$name" = "Kelvane_Lotta router" ] || fail "name '$name'"
[ "$audio" = "16:16" ] || fail "audio '$audio', expected 16:16"
[ "$path" = "$plugin" ] || fail "path '$path'"
echo "qtractor_plugin_scan: ${lines[0]}"
echo "PASS: qtractor_plugin_scan listed $plugin with 16:16 audio"
