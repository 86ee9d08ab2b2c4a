#!/usr/bin/env bash
# Runs the Turtle generator for project versions in release order, patch releases among them,
# and reads back lv2:minorVersion and lv2:microVersion: both must be even (LV2 hosts take an
# odd one for a development build), the minor above zero, and the pairs must grow with every
# release. 1.0.0 and 1.0.1 must come out as the README says.
#   check_versions.sh GENERATOR
set -euo pipefail
generator=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
previous=""
for version in 0.1.0 0.1.1 0.1.2 0.2.0 0.99.7 1.0.0 1.0.1 1.0.2 1.0.10 1.1.0 1.2.3 2.0.0 2.0.1 10.3.4; do
  "$generator" "$work" urn:test:versions versions.so "$version"
  minor=$(sed -n 's/^ *lv2:minorVersion \([0-9]*\) ;$/\1/p' "$work/versions.ttl")
  micro=$(sed -n 's/^ *lv2:microVersion \([0-9]*\) ;$/\1/p' "$work/versions.ttl")
  echo "$version -> $minor.$micro"
  if [[ -z $minor || -z $micro ]] || ((minor == 0 || minor % 2 || micro % 2)); then
    echo "  not an even release version"
    fail=1
  elif [[ -n $previous ]] && ! ((minor > ${previous% *} || (minor == ${previous% *} && micro > ${previous#* }))); then
    echo "  not above the version before ($previous)"
    fail=1
  fi
  previous="$minor $micro"
  case $version in
    1.0.0) [[ "$minor.$micro" == 200.0 ]] || { echo "  the README says 200.0"; fail=1; } ;;
    1.0.1) [[ "$minor.$micro" == 200.2 ]] || { echo "  the README says 200.2"; fail=1; } ;;
  esac
done
exit $fail
