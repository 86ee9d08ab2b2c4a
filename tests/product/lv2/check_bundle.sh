#!/usr/bin/env bash
# Validates the bundle's Turtle against the LV2 vocabularies installed in /usr/lib/lv2 and
# checks that its shared object exports lv2_descriptor alone. lv2_validate exits 0 even when
# it finds errors, so its count is read; its warnings are shown but do not fail.
#   check_bundle.sh BUNDLE_DIR
set -euo pipefail
bundle=$1
fail=0
report=$(lv2_validate "$bundle"/*.ttl 2>&1 | grep -v '^Skipping file /usr/lib/lv2/' || true)
echo "$report"
count=$(sed -n 's/^Found \([0-9]*\) errors.*/\1/p' <<<"$report")
if [[ -z $count ]]; then
  echo "lv2_validate printed no error count"
  fail=1
elif [[ $count != 0 ]]; then
  fail=1
fi
exports=$(nm -D --defined-only "$bundle"/*.so | awk '{print $3}' | sort | tr '\n' ' ')
if [[ $exports != "lv2_descriptor " ]]; then
  echo "exports: $exports(expected lv2_descriptor only)"
  fail=1
fi
exit $fail
