#!/usr/bin/env python3
"""Runs `vst2host info PLUGIN --json` and checks that the output is JSON holding the expected
values. Usage: check_info_json.py VST2HOST PLUGIN router|odd"""
import json
import subprocess
import sys

ROUTER = {
    "entry_point": "VSTPluginMain",
    "effect_name": "Kelvane_Lotta router",
    "vendor": "Kelvane",
    "product": "Kelvane_Lotta router",
    "vendor_version": 1000,
    "vst_version": 2400,
    "unique_id": 0,
    "unique_id_text": None,
    "category": 0,
    "category_name": "unknown",
    "record_version": 1,
    "inputs": 16,
    "outputs": 16,
    "initial_delay": 0,
    "flags": 0x1030,
    "flag_names": ["can replacing", "programs are chunks", "can double replacing"],
    "programs": {"count": 1, "current": 0, "current_name": "Kelvane_Lotta router"},
    "chunk_size": 260,
    "parameters": [
        {"index": i, "name": f"enable item bus {i + 1}", "label": "", "display": "muted",
         "value": 0.0}
        for i in range(8)
    ],
}

# Quotes, a backslash and a tab to escape, Latin-1 to widen, UTF-8 to pass through.
ODD = {
    "entry_point": "MAIN",
    "effect_name": 'Odd "quoted" back\\slash\ttab',
    "vendor": "Caf\u00e9 Audio",
    "product": "host=Kelvane/vst2host version=2400 rate=44100 block=512 "
               "time=44100Hz,120bpm,4/4,stopped cando=0 set=44100/512",
    "vendor_version": 7,
    "vst_version": 2400,
    "unique_id": 0x41624364,
    "unique_id_text": "AbCd",
    "category": 2,
    "category_name": "synth",
    "record_version": 3,
    "inputs": 2,
    "outputs": 6,
    "initial_delay": 64,
    "flags": 0x8111,
    "flag_names": ["has editor", "can replacing", "is synth", "bit 15"],
    "programs": {"count": 3, "current": 2, "current_name": "third \u2713"},
    "chunk_size": None,
    "parameters": [
        {"index": 0, "name": "gain", "label": "dB", "display": "-6.0", "value": 0.25},
        {"index": 1, "name": "mix", "label": "%", "display": "50", "value": 0.5},
    ],
}


def main():
    host, plugin, which = sys.argv[1:4]
    expected = dict({"router": ROUTER, "odd": ODD}[which], path=plugin)
    run = subprocess.run([host, "info", plugin, "--json"], stdin=subprocess.DEVNULL,
                         capture_output=True, timeout=60)
    if run.returncode != 0:
        sys.exit(f"FAIL: exit status {run.returncode}\n{run.stderr.decode(errors='replace')}")
    try:
        # Strict: the bytes must be UTF-8 and the text one JSON value.
        info = json.loads(run.stdout.decode("utf-8"))
    except (UnicodeDecodeError, json.JSONDecodeError) as error:
        sys.exit(f"FAIL: output is not JSON: {error}\n{run.stdout!r}")
    failures = [f"{key}: expected {value!r}, got {info.get(key, '<missing>')!r}"
                for key, value in expected.items() if info.get(key, "<missing>") != value]
    unexpected = sorted(set(info) - set(expected))
    if unexpected:
        failures.append(f"keys nobody checks: {unexpected}")
    if failures:
        sys.exit("FAIL:\n" + "\n".join(failures))
    print(f"PASS: {plugin} described as expected in JSON ({len(info)} keys)")


if __name__ == "__main__":
    main()
