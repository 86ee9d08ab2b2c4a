#!/usr/bin/env bash
# Ardour loads the bundle on a track in a headless session (ardour7-lua, the dummy audio
# backend), a script switches buses 3 and 8 on and saves; the session file must hold the
# plug-in and its port values and the plug-in's saved state the chunk with those switches.
# The session is then loaded again, run and saved: the state must come back the same.
#   ardour_session_test.sh BUNDLE_DIR URI
# ardour7-lua sometimes aborts on its own (as ardour7-export does), so each step is tried up
# to three times; a step that never succeeds fails the test.
set -uo pipefail
bundle=$1 uri=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/lv2"
ln -s "$(cd "$bundle" && pwd)" "$work/lv2/"
export LV2_PATH="$work/lv2"

source "$(dirname "$0")/../ardour_session_steps.sh"
write_create_script "$uri" LV2 2 7
write_reload_script

# The newest state the plug-in saved, as 65 floats; the switches are sliders 1, 3, .., 15.
check() {  # what
  python3 - "$work/session" "$uri" "$1" <<'PY'
import base64, glob, os, re, struct, sys
session, uri, what = sys.argv[1:]
xml = open(os.path.join(session, "router.ardour")).read()
ok = True
if f'unique-id="{uri}"' not in xml:
    print(f"{what}: the session file holds no {uri}"); ok = False
ports = dict(re.findall(r'<Port symbol="(enable_item_bus_\d)" value="([^"]*)"', xml))
on = sorted(k for k, v in ports.items() if float(v) == 1.0)
if len(ports) != 8 or on != ["enable_item_bus_3", "enable_item_bus_8"]:
    print(f"{what}: port values {ports}"); ok = False
states = sorted(glob.glob(os.path.join(session, "plugins", "*", "state*", "state.ttl")),
                key=os.path.getmtime)
if not states:
    print(f"{what}: no plug-in state saved"); sys.exit(1)
text = open(states[-1]).read()
found = re.search(re.escape(f"<{uri}#chunk>") + r'\s*"""(.*?)"""', text, re.S)
chunk = base64.b64decode(found.group(1)) if found else b""
if len(chunk) != 260:
    print(f"{what}: chunk of {len(chunk)} bytes in {states[-1]}"); sys.exit(1)
floats = struct.unpack("<65f", chunk)
expected = [-1000.0] + [1.0 if k in (5, 15) else 0.0 for k in range(1, 65)]
if list(floats) != expected:
    print(f"{what}: chunk {floats}"); ok = False
print(f"{what}: plug-in, ports and chunk as expected" if ok else f"{what}: FAILED")
sys.exit(0 if ok else 1)
PY
}

create_and_reload check
