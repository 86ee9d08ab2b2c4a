#!/usr/bin/env bash
# Runs Ardour's VST 2 scanner on the plug-in, as Ardour does when it indexes plug-ins, and checks
# what it reports on stdout and writes into its cache file.
# Usage: ardour_vst_scanner_test.sh PLUGIN WORKDIR   (WORKDIR is emptied and used as HOME)
source "$(dirname "$0")/scanner_common.sh" "$1" "$2" /usr/lib/ardour7/ardour-vst-scanner ardour

# Its libraries live beside it, outside the linker's search path.
LD_LIBRARY_PATH="/usr/lib/ardour7${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
  timeout 60 "$scanner" -v -f "$plugin" >"$work/stdout" 2>"$work/stderr"
status=$?
[ "$status" -eq 0 ] || fail "scanner exit status $status"
# It exits 0 even for a library it rejects, so its words are what count.
if grep -q '\[ERROR\]' "$work/stdout" "$work/stderr"; then fail "scanner reported an error"; fi
grep -qE "^\[Info\]: Found Plugin: .* Kelvane_Lotta router$" "$work/stdout" ||
  fail "no 'Found Plugin: ... Kelvane_Lotta router' line"

# The one VST2Info element of a report, checked attribute by attribute.
check_info() {
  local source=$1 file=$2 element attr
  element=$(grep -o '<VST2Info [^>]*>' "$file")
  [ "$(printf '%s\n' "$element" | grep -c .)" -eq 1 ] || fail "$source: expected one VST2Info element"
  for attr in ' name="Kelvane_Lotta router"' ' creator="Kelvane"' ' n_inputs="16"' \
              ' n_outputs="16"'; do
    [[ "$element" == *"$attr"* ]] || fail "$source: VST2Info lacks$attr: $element"
  done
  echo "$source: $element"
}

check_info "stdout" "$work/stdout"
mapfile -t caches < <(find "$HOME" -name '*.v2i' -type f)
[ "${#caches[@]}" -eq 1 ] || fail "expected one .v2i cache file under $HOME, found ${#caches[@]}"
grep -qF "binary=\"$plugin\"" "${caches[0]}" || fail "cache file does not name $plugin"
check_info "cache ${caches[0]#"$work/"}" "${caches[0]}"
echo "PASS: ardour-vst-scanner indexed $plugin"
