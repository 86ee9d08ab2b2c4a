#!/usr/bin/env bash
# Runs Ardour's VST 3 scanner on the bundle, as Ardour does when it indexes plug-ins, and checks
# what it reports on stdout and writes into its cache file.
#   ardour_vst3_scanner_test.sh BUNDLE WORKDIR CLASS_ID   (WORKDIR is emptied and used as HOME)
source "$(dirname "$0")/../../tools/scanner_common.sh" "$1" "$2" \
  /usr/lib/ardour7/ardour-vst3-scanner ardour
class_id=$3

# Its libraries live beside it, outside the linker's search path. -f: a fresh scan whatever
# the file times say.
LD_LIBRARY_PATH="/usr/lib/ardour7${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
  timeout 60 "$scanner" -v -f "$plugin" >"$work/stdout" 2>"$work/stderr"
status=$?
[ "$status" -eq 0 ] || fail "scanner exit status $status"
if grep -q '\[ERROR\]' "$work/stdout" "$work/stderr"; then fail "scanner reported an error"; fi
grep -qx "\[Info\]: Found Plugin: Kelvane_Lotta router" "$work/stdout" ||
  fail "no 'Found Plugin: Kelvane_Lotta router' line"
grep -qx "\[Info\]: Class: 0 'Kelvane_Lotta router' 'Audio Module Class'" "$work/stdout" ||
  fail "class 0 is not the router's audio module class"
# Eight stereo buses each way: one main and seven auxiliary.
for dir in kInput kOutput; do
  grep -qx "\[Info\]: VST3: media: kAudio dir: $dir type: kMain n_busses: 8" "$work/stdout" ||
    fail "$dir: not 8 audio buses"
  count=$(sed -n "/dir: $dir type: kMain/,/type: kAux/p" "$work/stdout" | grep -c 'count: 2$')
  [ "$count" -eq 1 ] || fail "$dir: the main bus is not stereo"
  count=$(sed -n "/dir: $dir type: kAux/,/media:/p" "$work/stdout" | grep -c 'count: 2$')
  [ "$count" -eq 7 ] || fail "$dir: $count stereo auxiliary buses, not 7"
done

mapfile -t caches < <(find "$HOME" -name '*.v3i' -type f)
[ "${#caches[@]}" -eq 1 ] || fail "expected one .v3i cache file under $HOME, found ${#caches[@]}"
info=$(grep -o '<VST3Info [^>]*>' "${caches[0]}")
[ "$(printf '%s\n' "$info" | grep -c .)" -eq 1 ] || fail "expected one VST3Info element"
for attr in " uid=\"$class_id\"" ' name="Kelvane_Lotta router"' ' vendor="Kelvane"' \
            ' category="Fx|Tools"' ' version="1.0.0"' ' n_inputs="2"' ' n_outputs="2"' \
            ' n_aux_inputs="14"' ' n_aux_outputs="14"' ' n_midi_inputs="0"'; do
  [[ "$info" == *"$attr"* ]] || fail "VST3Info lacks$attr: $info"
done
grep -qF "module=\"$plugin/Contents/x86_64-linux/lotta_router.so\"" "${caches[0]}" ||
  fail "cache does not name the bundle's binary"
echo "cache ${caches[0]#"$work/"}: $info"
echo "PASS: ardour-vst3-scanner indexed $plugin"
