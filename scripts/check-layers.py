#!/usr/bin/env python3
"""Refuses an include from a layer above the including file's own.

The layers, lowest first; a file may include its own layer's headers and
those of the layers below. res/ (resource ids, product names) is open to all.
"""
import pathlib
import re
import sys

LAYERS = [
    ["text"],
    ["framework"],
    ["files"],
    ["crypto"],
    ["cycle"],
    ["history", "import"],
    ["skin"],
    ["calendar"],
    ["print"],
    ["dialogs"],
    ["view"],
    ["app"],
]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/[^"]+"', re.MULTILINE)

src = pathlib.Path(__file__).resolve().parent.parent / "src"
faults = []
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cpp"):
        continue
    folder = path.relative_to(src).parts[0]
    if folder not in RANK:
        faults.append(f"{path.relative_to(src)}: folder '{folder}' has no layer")
        continue
    for included in INCLUDE.findall(path.read_text(encoding="utf-8")):
        if included in RANK and RANK[included] > RANK[folder]:
            faults.append(f"{path.relative_to(src)} includes {included}/, a layer above {folder}/")
for fault in faults:
    print(f"layers: {fault}", file=sys.stderr)
sys.exit(1 if faults else 0)
