#!/usr/bin/env bash
# Shared set-up of the scanner tests: arguments, failure report and a private home.
# Sourced with: plugin path, work directory, scanner path, the Debian package that has it.
set -u
plugin=$(realpath "$1")
work=$2
scanner=$3
package=$4

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
[ -x "$scanner" ] || fail "$scanner is missing: install the Debian package $package"

# Whatever the scanner writes (caches, settings) goes into the build tree, not the real home.
export HOME="$work/home"
export XDG_CACHE_HOME="$HOME/.cache" XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"

# Runs Qtractor's scanner on one request, "$1:$plugin" (it answers each line and exits at the
# end of input), and reads the one line naming the plug-in into type, name, audio, midi,
# controls, path and index. Output matching the extended pattern $2 fails the test: the
# scanner exits 0 even for a file it cannot load, so its words are what count.
qtractor_scan() {
  export QT_QPA_PLATFORM=offscreen
  printf '%s:%s\n' "$1" "$plugin" | timeout 60 "$scanner" >"$work/stdout" 2>"$work/stderr"
  local status=$?
  [ "$status" -eq 0 ] || fail "scanner exit status $status"
  if grep -q -E "$2" "$work/stdout" "$work/stderr"; then fail "scanner reported an error"; fi
  # TYPE|name|audio in:out|midi in:out|controls in:out|features|path|index|unique id
  mapfile -t lines < <(grep -F "|$plugin|" "$work/stdout")
  [ "${#lines[@]}" -eq 1 ] || fail "expected one line naming $plugin, found ${#lines[@]}"
  IFS='|' read -r type name audio midi controls _features path index _id <<<"${lines[0]}"
}
