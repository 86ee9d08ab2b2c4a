#!/usr/bin/env bash
# Runs Qtractor's plug-in scanner on the plug-in, as Qtractor does when it indexes plug-ins, and
# checks the line it answers.
# Usage: qtractor_plugin_scan_test.sh PLUGIN WORKDIR   (WORKDIR is emptied and used as HOME)
source "$(dirname "$0")/scanner_common.sh" "$1" "$2" /usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan qtractor

qtractor_scan VST2 'error'
[ "$type" = "VST" ] || fail "type '$type', expected VST"
[ "$name" = "Kelvane_Lotta router" ] || fail "name '$name'"
[ "$audio" = "16:16" ] || fail "audio '$audio', expected 16:16"
[ "$path" = "$plugin" ] || fail "path '$path'"
echo "qtractor_plugin_scan: ${lines[0]}"
echo "PASS: qtractor_plugin_scan listed $plugin with 16:16 audio"
