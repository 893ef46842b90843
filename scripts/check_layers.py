#!/usr/bin/env python3
"""Keeps the layers: a source file may include, of the project's own headers, only those of its
own folder and of the folders below it. Prints every include that crosses the wrong way and
exits 1 when there is one. The build keeps the same order (each library sees only what it
links); this check names the offending line before a compiler does, and covers every file.

Usage: check_layers.py ROOT   (the project folder)"""
import re
import sys
from pathlib import Path

# What each folder may include from: folder names, or single headers ("folder/file.h").
# Every folder includes its own.
#   base <- link;  base <- image <- files <- session, editors <- app, cli;  ports below the two
#   front ends; the tools take from the link layer its wire constants only.
ALLOWED = {
    "src/base": [],
    "src/link": ["base"],
    "src/image": ["base"],
    "src/files": ["base", "image"],
    "src/session": ["base", "image", "files", "link"],
    "src/editors": ["base", "image", "files"],
    "src/ports": [],
    "src/app": ["base", "image", "files", "editors", "session", "ports"],
    "src/cli": ["base", "image", "files", "editors", "session", "ports"],
    "tools/phone_emu": ["base", "link/loader_protocol.h"],
    "tools/demo_model": ["base", "image", "files"],
}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def allowed(folder, header):
    own = folder.split("/")[-1]
    top = header.split("/")[0]
    if "/" not in header:  # generated in the build tree (quorvanta_version.h)
        return True
    return top == own or any(top == a or header == a for a in ALLOWED[folder])


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    root = Path(sys.argv[1])
    problems = []
    for folder in ALLOWED:
        for path in sorted((root / folder).glob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            text = path.read_text(encoding="utf-8", errors="replace")
            for m in INCLUDE.finditer(text):
                if not allowed(folder, m.group(1)):
                    line = text.count("\n", 0, m.start()) + 1
                    problems.append(f"{path.relative_to(root)}:{line}: includes \"{m.group(1)}\", "
                                    f"which {folder} may not use")
    # A folder the table does not know would go unchecked.
    for parent in ("src", "tools"):
        for sub in sorted(p for p in (root / parent).iterdir() if p.is_dir()):
            if f"{parent}/{sub.name}" not in ALLOWED:
                problems.append(f"{parent}/{sub.name}: not in the layer table of scripts/check_layers.py")
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
