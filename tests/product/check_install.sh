#!/usr/bin/env bash
# Installs a build into a fresh prefix and packages it with CPack, then checks that both hold
# exactly the expected files and that the plug-ins in them are the ones that were built.
#   check_install.sh BUILD_DIR PACKAGE_FILE EXPECTED_FILE[=BUILT_FILE]...
# PACKAGE_FILE is the archive's name, EXPECTED_FILE the paths relative to the prefix; where a
# BUILT_FILE is given, the installed and packaged copies must be equal to it.
set -euo pipefail
build=$1 package=$2
shift 2
expected=$(printf '%s\n' "${@%%=*}" | sort)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

compare() {  # what, actual list
  if [[ $2 != "$expected" ]]; then
    echo "$1 holds:"; echo "$2"; echo "expected:"; echo "$expected"
    fail=1
  fi
}

same_as_built() {  # what, root
  for entry in "${files[@]}"; do
    [[ $entry == *=* ]] || continue
    cmp -s "${entry#*=}" "$2/${entry%%=*}" ||
      { echo "the ${entry%%=*} in $1 differs from the built one"; fail=1; }
  done
}
files=("$@")

cmake --install "$build" --prefix "$work/prefix" >/dev/null
compare "the install tree" "$(cd "$work/prefix" && find . -type f | sed 's|^\./||' | sort)"
same_as_built "the install tree" "$work/prefix"

cpack --config "$build/CPackConfig.cmake" -B "$work/packages" >/dev/null
[[ -f $work/packages/$package ]] || { echo "no $package among:"; ls "$work/packages"; exit 1; }
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$work/packages/$package")
compare "$package" "$(cd "$work/unpacked" && find . -type f | sed 's|^\./||' | sort)"
same_as_built "$package" "$work/unpacked"
[[ $fail == 0 ]] && echo "install tree and $package hold:" $expected
exit $fail
