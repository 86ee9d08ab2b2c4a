#!/usr/bin/env bash
# Installs a build into a fresh prefix and packages it with CPack, then checks that both hold
# exactly the expected files and that the plug-in in them is the one that was built.
#   check_install.sh BUILD_DIR PLUGIN PACKAGE_FILE EXPECTED_FILE...
# PACKAGE_FILE is the archive's name, EXPECTED_FILE the paths relative to the prefix.
set -euo pipefail
build=$1 plugin=$2 package=$3
shift 3
expected=$(printf '%s\n' "$@" | sort)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

compare() {  # what, actual list
  if [[ $2 != "$expected" ]]; then
    echo "$1 holds:"; echo "$2"; echo "expected:"; echo "$expected"
    fail=1
  fi
}

cmake --install "$build" --prefix "$work/prefix" >/dev/null
compare "the install tree" "$(cd "$work/prefix" && find . -type f | sed 's|^\./||' | sort)"
installed=$(find "$work/prefix" -name "$(basename "$plugin")")
cmp "$plugin" "$installed" || { echo "the installed plug-in differs from the built one"; fail=1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/packages" >/dev/null
[[ -f $work/packages/$package ]] || { echo "no $package among:"; ls "$work/packages"; exit 1; }
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$work/packages/$package")
compare "$package" "$(cd "$work/unpacked" && find . -type f | sed 's|^\./||' | sort)"
cmp "$plugin" "$(find "$work/unpacked" -name "$(basename "$plugin")")" ||
  { echo "the packaged plug-in differs from the built one"; fail=1; }
[[ $fail == 0 ]] && echo "install tree and $package hold:" $expected
exit $fail
