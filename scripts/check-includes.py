#!/usr/bin/env python3
"""Holds every #include of src/ and decoder/ to the "may use" table of ARCHITECTURE.md.

A folder's row names, in backticks in its last column, the folders it may include from
(`engine`, `gui/widgets`, `decoder_api.h`); an include of any other folder of ours is an
arrow the table forbids. Only a row whose last column says "Qt Widgets" may include a Qt
Widgets header. Prints each forbidden arrow with the file and line, and exits 1 when there
is one.

    scripts/check-includes.py [ROOT]     (ROOT: the source tree, by default this one)
"""
import glob
import os
import re
import sys

root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
SOURCES = ("src", "decoder")
API = "decoder_api.h"


def module_of(path):
    """The table's name of the folder a file (relative to root) belongs to."""
    parts = path.split("/")
    if parts[0] == "decoder":
        return "decoder"
    if parts[0] != "src" or len(parts) < 3:
        return None
    if parts[1] == "gui" and len(parts) > 3:
        return "gui/" + parts[2]
    return parts[1]


def read_table():
    text = open(os.path.join(root, "ARCHITECTURE.md"), encoding="utf-8").read()
    rows = {}
    header_seen = False
    for line in text.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")] if line.startswith("|") else []
        if not cells:
            header_seen = False
            continue
        if cells[0] == "Folder" and cells[-1] == "May use":
            header_seen = True
            continue
        if not header_seen or set(cells[0]) <= set("-: "):
            continue
        folder = re.search(r"`([^`]+)`", cells[0])
        if not folder:
            continue
        module = module_of(folder.group(1).rstrip("/") + "/x")
        rows[module] = {
            "may": set(re.findall(r"`([^`]+)`", cells[-1])),
            "widgets": "Qt Widgets" in cells[-1],
        }
    return rows


def qt_widgets_headers():
    for folder in glob.glob("/usr/include/*/qt6/QtWidgets") + glob.glob("/usr/include/qt6/QtWidgets"):
        return {name for name in os.listdir(folder) if not name.endswith(".h")} | {"QtWidgets"}
    return set()


def main():
    table = read_table()
    if not table:
        print("check-includes: no 'may use' table found in ARCHITECTURE.md")
        return 1
    widgets = qt_widgets_headers()
    faults = []
    for top in SOURCES:
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.relpath(os.path.join(folder, name), root)
                module = module_of(path)
                if module is None:
                    continue
                if module not in table:
                    faults.append(f"{path}: the folder of {module} has no row in the table")
                    continue
                row = table[module]
                for number, line in enumerate(open(os.path.join(root, path), encoding="utf-8"), 1):
                    quoted = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                    angled = re.match(r"\s*#\s*include\s+<([^>]+)>", line)
                    if quoted:
                        include = quoted.group(1)
                        if include == API:
                            target = API if module != "decoder" else module
                        elif "/" in include and not include.startswith("."):
                            target = module_of("src/" + include)
                        else:
                            target = module_of(os.path.relpath(os.path.normpath(os.path.join(folder, include)), root))
                        if target and target != module and target not in row["may"]:
                            faults.append(f"{path}:{number}: {module} -> {target} ({include})")
                    elif angled and not row["widgets"]:
                        header = angled.group(1).split("/")
                        if header[-1] in widgets and (len(header) == 1 or header[0] == "QtWidgets"):
                            faults.append(f"{path}:{number}: {module} -> Qt Widgets ({angled.group(1)})")
    for fault in faults:
        print("forbidden include: " + fault)
    if faults:
        print(f"check-includes: {len(faults)} include(s) against ARCHITECTURE.md's table")
        return 1
    print(f"check-includes: every include follows ARCHITECTURE.md's table ({len(table)} folders)")
    return 0


sys.exit(main())
