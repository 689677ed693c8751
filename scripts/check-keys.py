#!/usr/bin/env python3
"""Fails when a settings key is spelled outside the schema.

The names are read from config/settings_schema.h and .cpp, where each section, key, key stem
and launcher-file name is written once: every string literal there that is a plain name. A C++
file anywhere else (tests aside, which may spell a file's text as they like) that holds one
of them as a whole string literal, or a numbered key such as "text3_1", must take it from the
schema instead. A literal that only happens to share a name ("notes" as a word of a message)
is let through by a comment on its line or the line above: // not a settings key"""
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SCHEMA = ("config/settings_schema.h", "config/settings_schema.cpp")
STEMS = re.compile(r'^constexpr const char\* k\w+Stem = "(\w+)";$', re.M)
LITERAL = re.compile(r'//[^\n]*|/\*.*?\*/|\'(?:[^\'\\\n]|\\.)*\'|"((?:[^"\\\n]|\\.)*)"', re.S)
EXEMPT = "not a settings key"


def literals(text):
    """(line number, literal, its line and the one above) of every string literal outside
    comments."""
    lines = text.splitlines()
    for match in LITERAL.finditer(text):
        if match.group(1) is not None:
            number = text.count("\n", 0, match.start()) + 1
            yield number, match.group(1), "\n".join(lines[max(number - 2, 0):number])


def schema_names():
    names, stems = set(), set()
    for name in SCHEMA:
        text = (ROOT / name).read_text()
        names.update(value for _, value, _ in literals(text) if re.fullmatch(r"[A-Za-z_]+", value))
        stems.update(STEMS.findall(text))
    if not names or not stems:
        sys.exit("config/settings_schema.*: no names found")
    return names, re.compile(r"^(%s)\d+(_\d+)?$" % "|".join(sorted(stems)))


def main():
    names, numbered = schema_names()
    files = subprocess.run(["git", "ls-files", "*.c", "*.cpp", "*.h"], cwd=ROOT, check=True,
                           capture_output=True, text=True).stdout.split()
    faults = []
    for name in files:
        if name in SCHEMA or name.startswith("tests/") or "/tests/" in name:
            continue
        for number, value, line in literals((ROOT / name).read_text(errors="replace")):
            if (value in names or numbered.match(value)) and EXEMPT not in line:
                faults.append(f'{name}:{number}: "{value}" is a settings key: take it from '
                              "config/settings_schema.h")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
