#!/usr/bin/env python3
"""Derives the product's folder-to-folder include graph and fails on an arrow running up.

The floors (lowest first) and the upward calls allowed are read from the section "Floors" of
CONTRIBUTING.md, so the rule is written once: a folder includes only headers of its own floor
or of floors below it, apart from the file-and-header pairs that section names as upward calls.
`--graph` prints the arrows between folders with their include counts."""
import re
import sys
from collections import Counter
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/([^"]+)"', re.M)


def read_rules(contributing):
    text = contributing.read_text(encoding="utf-8")
    floors_line = re.search(r"^Floors, lowest first: (.+)$", text, re.M)
    if not floors_line:
        sys.exit("CONTRIBUTING.md: no line 'Floors, lowest first: ...'")
    floors = re.findall(r"`([a-z_]+)/`", floors_line.group(1))
    section = re.search(r"^## Floors\n(.*?)(?=^## |\Z)", text, re.M | re.S)
    upward = set(re.findall(r"^\| `([a-z_]+/[a-z_0-9.]+)` \| `([a-z_]+/[a-z_0-9.]+)` \|",
                            section.group(1), re.M))
    return floors, upward


def includes(floors):
    for folder in floors:
        for path in sorted((ROOT / folder).iterdir()):
            if path.suffix in (".h", ".c", ".cpp", ".in"):
                for top, rest in INCLUDE.findall(path.read_text(encoding="utf-8")):
                    yield f"{folder}/{path.name}", top, f"{top}/{rest}"


def main():
    floors, upward = read_rules(ROOT / "CONTRIBUTING.md")
    level = {folder: index for index, folder in enumerate(floors)}
    arrows = Counter()
    faults = []
    used = set()
    for source, top, header in includes(floors):
        folder = source.split("/")[0]
        if top not in level or top == folder:
            continue
        arrows[(folder, top)] += 1
        if level[top] > level[folder]:
            if (source, header) in upward:
                used.add((source, header))
            else:
                faults.append(f"{source} includes {header}: {top}/ lies above {folder}/")
    faults += [f"CONTRIBUTING.md names {s} -> {h}, which no longer exists"
               for s, h in sorted(upward - used)]
    if "--graph" in sys.argv:
        for (source, target), count in sorted(arrows.items(), key=lambda a: (level[a[0][0]], a[0][1])):
            direction = "up" if level[target] > level[source] else "down"
            print(f"{source}/ -> {target}/ ({count}, {direction})")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
