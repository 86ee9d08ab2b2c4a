#!/usr/bin/env bash
# Ardour loads the VST 3 bundle by name on a track in a headless session (ardour7-lua, the
# dummy audio backend), a script switches buses 1 and 6 on and saves; the session must hold the
# plug-in by its class ID, the switches as its parameter values and, in the component state it
# saved, the chunk with those switches. The session is then loaded again, run and saved: the
# state must come back the same.
#   ardour_session_test.sh BUNDLE_DIR CLASS_ID
# ardour7-lua sometimes aborts on its own (as ardour7-export does), so each step is tried up
# to three times; a step that never succeeds fails the test.
set -uo pipefail
bundle=$1 class_id=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
export XDG_CACHE_HOME="$HOME/.cache" XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
mkdir -p "$HOME" "$work/vst3"
# A copy dated a minute back: Ardour takes the scanner's cache only when it is newer than the
# binary, and a bundle built in the same second as the scan would look newer.
cp -r "$bundle" "$work/vst3/"
find "$work/vst3" -type f -exec touch -d '1 minute ago' {} +
export VST3_PATH="$work/vst3"
# A headless session reads plug-ins from the scanners' caches only: scan first, as Ardour's
# own plug-in manager does.
LD_LIBRARY_PATH="/usr/lib/ardour7${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" timeout 60 \
  /usr/lib/ardour7/ardour-vst3-scanner -q "$work/vst3/$(basename "$bundle")" ||
  { echo "ardour-vst3-scanner failed"; exit 1; }

source "$(dirname "$0")/../ardour_session_steps.sh"
write_create_script "Kelvane_Lotta router" VST3 0 5
write_reload_script

# The processor in the session file: class ID, parameter values, and the component's part of
# the saved state (a VST 3 preset stream: header, data, then a list naming each part's place).
check() {  # what
  python3 - "$work/session/router.ardour" "$class_id" "$1" <<'PY'
import base64, re, struct, sys
path, class_id, what = sys.argv[1:]
xml = open(path).read()
found = re.search(r'<Processor [^>]*type="vst3" unique-id="([0-9A-F]+)"(.*?)</Processor>', xml, re.S)
if not found or found.group(1) != class_id:
    print(f"{what}: no VST 3 processor with class ID {class_id}"); sys.exit(1)
body, ok = found.group(2), True
ports = dict(re.findall(r'<Port id="(\d+)" value="([^"]*)"', body))
on = sorted(int(k) for k, v in ports.items() if float(v) == 1.0)
if len(ports) != 8 or on != [0, 5]:
    print(f"{what}: parameter values {ports}"); ok = False
chunk = re.search(r"<chunk>([^<]*)</chunk>", body)
data = base64.b64decode(chunk.group(1)) if chunk else b""
if data[:4] != b"VST3" or data[8:40].decode() != class_id:
    print(f"{what}: state stream header {data[:40]!r}"); sys.exit(1)
(list_at,) = struct.unpack_from("<q", data, 40)
assert data[list_at:list_at + 4] == b"List"
(entries,) = struct.unpack_from("<i", data, list_at + 4)
parts = {}
for i in range(entries):
    key, offset, size = struct.unpack_from("<4sqq", data, list_at + 8 + 20 * i)
    parts[key] = data[offset:offset + size]
component = parts.get(b"Comp", b"")
if len(component) != 260:
    print(f"{what}: component state of {len(component)} bytes"); sys.exit(1)
floats = struct.unpack("<65f", component)
expected = [-1000.0] + [1.0 if k in (1, 11) else 0.0 for k in range(1, 65)]
if list(floats) != expected:
    print(f"{what}: chunk {floats}"); ok = False
print(f"{what}: plug-in, parameter values and chunk as expected" if ok else f"{what}: FAILED")
sys.exit(0 if ok else 1)
PY
}

create_and_reload check
