#!/usr/bin/env python3
"""Fails when an include runs up the layers or two files include each other (directly or
around a circle). The one place the order is written down:

    plugin < editor < runtime < effect < product

A folder includes only itself and the folders below it; tools/ includes plugin/ only; tests/
may include anything. Usage: check_layering.py [repository root]
"""
import re
import subprocess
import sys

ORDER = ["plugin", "editor", "runtime", "effect", "product"]
ALLOWED = {folder: set(ORDER[: i + 1]) for i, folder in enumerate(ORDER)}
ALLOWED["tools"] = {"tools", "plugin"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def main(root):
    files = subprocess.run(["git", "-C", root, "ls-files", "*.h", "*.cpp"], check=True,
                           capture_output=True, text=True).stdout.split()
    graph, faults = {}, []
    for path in files:
        with open(f"{root}/{path}", encoding="utf-8", errors="replace") as source:
            includes = INCLUDE.findall(source.read())
        graph[path] = [i for i in includes if i in files]
        folder = path.split("/")[0]
        if folder not in ALLOWED:
            continue
        for included in includes:
            target = included.split("/")[0]
            if "/" in included and target not in ALLOWED[folder]:
                faults.append(f"{path}: includes {included} ({folder} may not include {target})")
    # Circles: a depth-first walk that meets a file still on its own path.
    state = {}

    def walk(node, path):
        state[node] = "open"
        for nxt in graph.get(node, []):
            if state.get(nxt) == "open":
                circle = path[path.index(nxt):] + [nxt]
                faults.append("include circle: " + " -> ".join(circle))
            elif nxt not in state:
                walk(nxt, path + [nxt])
        state[node] = "done"

    for node in graph:
        if node not in state:
            walk(node, [node])
    for fault in faults:
        print(fault)
    print(f"{len(files)} files checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
