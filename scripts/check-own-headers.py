#!/usr/bin/env python3
"""Fails on a function that a product source file defines for other files to call but that its
own header does not declare.

foo.cpp, foo.c, foo_win32.cpp and foo_posix.cpp implement foo.h of their folder, and
foo_win32.cpp also foo_win32.h: the name of a header tells where its functions are. A function
with external linkage (not `static`, not in an anonymous namespace) must be declared there.
Entry points are called by the system, not by a header's reader. The files that implement
another header by design are read from the table under "Implemented away from their folder"
in CONTRIBUTING.md, so the rule is written once. Reads source text only: it needs no build."""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
FOLDERS = ("base", "app", "config", "midi", "audio", "ui", "report", "check", "results")
ENTRY_POINTS = {"main", "wmain", "WinMain", "wWinMain", "DllMain", "DllGetClassObject",
                "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"}
EXCEPTIONS_HEADING = "Implemented away from their folder"

COMMENT_OR_TEXT = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'',
                             re.S)
DIRECTIVE = re.compile(r"^\s*#(?:[^\n]*\\\n)*[^\n]*", re.M)
# The last name before the parameter list: qualified names and operators included.
FUNCTION_HEAD = re.compile(r"((?:[A-Za-z_]\w*\s*::\s*)*(?:operator\s*[^\s(]+|~?[A-Za-z_]\w*))"
                           r"\s*\([^;]*\)[\s\w:&*<>,()\[\]]*$", re.S)
TYPE_BLOCK = re.compile(r"\b(?:struct|class|union|enum)\b")
ATTRIBUTE = re.compile(r"__declspec\s*\([^)]*\)|__attribute__\s*\(\(.*?\)\)|\[\[.*?\]\]", re.S)


def plain_code(text):
    """The text without comments, literals (kept as empty quotes) and preprocessor lines."""
    text = COMMENT_OR_TEXT.sub(lambda m: '""' if m.group(0)[0] in "\"'" else " ", text)
    return DIRECTIVE.sub("", text)


def defined_functions(code):
    """The names of the functions code defines with external linkage."""
    names = []
    # Each open block at file scope: True when its contents are still at file scope
    # (a named namespace, extern "C"), False for anything else.
    scopes = []
    hidden = 0  # open anonymous namespaces
    start = 0
    depth_skip = 0  # braces inside a body being skipped
    for index, char in enumerate(code):
        if depth_skip:
            depth_skip += {"{": 1, "}": -1}.get(char, 0)
            if depth_skip == 0:
                start = index + 1
            continue
        if char == ";":
            start = index + 1
        elif char == "}":
            if scopes and scopes.pop() == "anonymous":
                hidden -= 1
            start = index + 1
        elif char == "{":
            head = ATTRIBUTE.sub(" ", code[start:index]).strip()
            start = index + 1
            if re.fullmatch(r"(?:inline\s+)?namespace(?:\s+[\w:]+)?", head):
                anonymous = head.split()[-1] == "namespace"
                scopes.append("anonymous" if anonymous else "named")
                hidden += anonymous
            elif re.fullmatch(r'extern\s*""', head):
                scopes.append("named")
            else:
                depth_skip = 1
                match = FUNCTION_HEAD.search(head)
                if (match and not hidden and "=" not in head[:match.start()] and
                        not TYPE_BLOCK.search(head[:match.start()]) and
                        not re.search(r"\b(?:static|inline|constexpr)\b", head[:match.start()])):
                    names.append(re.sub(r"\s+", "", match.group(1)))
    return names


def own_headers(source):
    stem = source.stem
    headers = [source.with_name(f"{stem}.h")]
    for suffix in ("_win32", "_posix"):
        if stem.endswith(suffix):
            headers.append(source.with_name(f"{stem[:-len(suffix)]}.h"))
    return [header for header in headers if header.exists()]


def read_exceptions(contributing):
    """(source, header) pairs from the table under the heading EXCEPTIONS_HEADING."""
    text = contributing.read_text(encoding="utf-8")
    section = re.search(rf"^#+ {EXCEPTIONS_HEADING}\n(.*?)(?=^#|\Z)", text, re.M | re.S)
    if not section:
        sys.exit(f"CONTRIBUTING.md: no section '{EXCEPTIONS_HEADING}'")
    return set(re.findall(r"^\| `([\w/.]+)` \| `([\w/.]+)` \|", section.group(1), re.M))


def main():
    exceptions = read_exceptions(ROOT / "CONTRIBUTING.md")
    faults = []
    used = set()
    for folder in FOLDERS:
        for source in sorted((ROOT / folder).iterdir()):
            if source.suffix not in (".c", ".cpp"):
                continue
            name = f"{folder}/{source.name}"
            headers = own_headers(source) + [ROOT / header for s, header in exceptions if s == name]
            declared = " ".join(plain_code(header.read_text(encoding="utf-8"))
                                for header in headers if header.exists())
            for function in defined_functions(plain_code(source.read_text(encoding="utf-8"))):
                last = re.split(r"::", function)[-1]
                if last in ENTRY_POINTS:
                    continue
                if not re.search(rf"(?<![\w.>]){re.escape(last)}\s*\(", declared):
                    shown = ", ".join(h.relative_to(ROOT).as_posix() for h in headers) or "none"
                    faults.append(f"{name} defines {function}, which its own header ({shown}) "
                                  f"does not declare: declare it there, move it, or make it static")
            used.update((s, h) for s, h in exceptions if s == name)
    faults += [f"CONTRIBUTING.md names {s} -> {h}, which no longer exists"
               for s, h in sorted(exceptions - used) if not (ROOT / s).exists()
               or not (ROOT / h).exists()]
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
