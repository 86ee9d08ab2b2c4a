#!/usr/bin/env bash
# Runs Qtractor's plug-in scanner on the plug-in, as Qtractor does when it indexes plug-ins, and
# checks the line it answers.
# Usage: qtractor_plugin_scan_test.sh PLUGIN WORKDIR   (WORKDIR is emptied and used as HOME)
source "$(dirname "$0")/scanner_common.sh" "$1" "$2" /usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan qtractor
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
