#!/usr/bin/env bash
# lv2apply renders the 16-channel demo file through the LV2 bundle; vst2host renders it
# through the VST 2 build with the same switches; the two files must be equal byte for byte.
#   render_test.sh VST2HOST VST2_PLUGIN BUNDLE_DIR URI
# The files' format and sample chunks are compared: libsndfile's PEAK chunk holds the time of
# writing.
set -euo pipefail
vst2host=$1 plugin=$2 bundle=$3 uri=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A folder holding only our bundle, so lilv finds nothing else under that name.
mkdir "$work/lv2"
ln -s "$(cd "$bundle" && pwd)" "$work/lv2/"
"$vst2host" demo-input "$work/in.wav" >/dev/null

# The fmt and data chunks of a RIFF file, as one byte string.
same_audio() {
  python3 - "$1" "$2" <<'PY'
import struct, sys
def chunks(path):
    data = open(path, "rb").read()
    kept, at = b"", 12
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if tag in (b"fmt ", b"data"):
            kept += tag + data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    return kept
a, b = chunks(sys.argv[1]), chunks(sys.argv[2])
sys.exit(0 if a == b and b"data" in a else 1)
PY
}

fail=0
# Each case: the value set on the enabled buses' ports, then the buses. A toggle is on above 0,
# so 0.3 must enable as 1 does.
for case in "1 1 3 5" "1 2 8" "1 1 2 3 4 5 6 7 8" "1" "0.3 2 4 7"; do
  read -r value buses <<<"$case"
  controls=() settings=()
  for bus in $buses; do
    controls+=(-c "enable_item_bus_$bus" "$value")
    settings+=(--set "enable item bus $bus=enabled")
  done
  LV2_PATH="$work/lv2" lv2apply -i "$work/in.wav" -o "$work/lv2.wav" "${controls[@]}" "$uri"
  "$vst2host" render "$plugin" "$work/in.wav" "$work/vst.wav" "${settings[@]}" >/dev/null
  if same_audio "$work/lv2.wav" "$work/vst.wav"; then
    echo "buses on (ports at $value): ${buses:-none}: the same file"
  else
    echo "buses on (ports at $value): ${buses:-none}: lv2apply and vst2host render differ"
    fail=1
  fi
done
exit $fail
