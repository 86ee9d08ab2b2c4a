#!/usr/bin/env bash
# Runs Qtractor's plug-in scanner on the .clap, as Qtractor does when it indexes CLAP
# plug-ins, and checks the line it answers: the name, every one of the 16 channels each way
# through the main ports, and the eight parameters.
# Usage: qtractor_clap_scan_test.sh PLUGIN.clap WORKDIR   (WORKDIR is emptied and used as HOME)
source "$(dirname "$0")/../../tools/scanner_common.sh" "$1" "$2" \
  /usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan qtractor

qtractor_scan CLAP '[Ee][Rr][Rr][Oo][Rr]|\*\*\*'
[ "$type" = "CLAP" ] || fail "type '$type', expected CLAP"
[ "$name" = "Kelvane_Lotta router" ] || fail "name '$name'"
[ "$audio" = "16:16" ] || fail "audio '$audio', expected 16:16"
[ "$midi" = "0:0" ] || fail "midi '$midi', expected 0:0"
[ "$controls" = "8:0" ] || fail "controls '$controls', expected 8:0"
[ "$path" = "$plugin" ] || fail "path '$path'"
[ "$index" = "0" ] || fail "index '$index'"
echo "qtractor_plugin_scan: ${lines[0]}"
echo "PASS: qtractor_plugin_scan listed $plugin with 16:16 audio and 8 parameters"
