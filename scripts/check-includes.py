#!/usr/bin/env python3
"""Holds every #include of src/ and decoder/ to the "may use" table of ARCHITECTURE.md.

A folder's row names, in backticks in its last column, the folders it may include from
(`engine`, `gui/widgets`, `decoder_api.h`); an include of any other folder of ours is an
arrow the table forbids. The same column names the outside libraries the folder may use
(FFmpeg, SDL, FreeImage, Pango/Cairo, XCB, Qt Core, Qt Gui, Qt Network, Qt Widgets): a header
of any other of these libraries is forbidden there too. A row that may use Qt Widgets may
use Qt Gui and Qt Core, and one that may use Qt Gui or Qt Network may use Qt Core. The
system's own headers (the C and C++ libraries, POSIX) are open to every folder. Prints each
forbidden include with the file and line, and exits 1 when there is one.

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
            "libraries": libraries_named(cells[-1]),
        }
    return rows


# The outside libraries a row may name, and how their headers are included.
LIBRARIES = {
    "FFmpeg": re.compile(r"^(libavcodec|libavformat|libavutil|libswscale|libswresample|libavfilter|libavdevice)/"),
    "SDL": re.compile(r"^SDL2?/|^SDL\.h$"),
    "FreeImage": re.compile(r"^FreeImage(Plus)?\.h$"),
    "Pango/Cairo": re.compile(r"^(pango|cairo)/|^cairo[-\w]*\.h$"),
    "XCB": re.compile(r"^xcb/"),
}
# Qt modules, the ones that each implies.
QT_MODULES = {
    "Qt Core": ("QtCore", ()),
    "Qt Gui": ("QtGui", ("Qt Core",)),
    "Qt Network": ("QtNetwork", ("Qt Core",)),
    "Qt Widgets": ("QtWidgets", ("Qt Gui", "Qt Core")),
}


def qt_headers():
    """Every Qt class header ("QWidget", "QtWidgets/QLabel") with the table's name of its module."""
    headers = {}
    for name, (folder, _) in QT_MODULES.items():
        for base in glob.glob(f"/usr/include/*/qt6/{folder}") + glob.glob(f"/usr/include/qt6/{folder}"):
            for header in os.listdir(base):
                if not header.endswith(".h"):
                    headers[header] = name
                    headers[f"{folder}/{header}"] = name
            headers[folder] = name
            break
    return headers


def library_of(include, qt):
    """The table's name of the outside library an angled include belongs to, or None."""
    if include in qt:
        return qt[include]
    for name, pattern in LIBRARIES.items():
        if pattern.search(include):
            return name
    return None


def libraries_named(column):
    """The outside libraries a row's last column names, with the Qt modules they imply."""
    named = {name for name in list(LIBRARIES) + list(QT_MODULES) if name in column}
    for name in list(named):
        if name in QT_MODULES:
            named.update(QT_MODULES[name][1])
    return named


def main():
    table = read_table()
    if not table:
        print("check-includes: no 'may use' table found in ARCHITECTURE.md")
        return 1
    qt = qt_headers()
    faults = []
    used = set()  # (folder, what it includes from), for the arrows the table allows in vain
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
                        if target and target != module:
                            used.add((module, target))
                            if target not in row["may"]:
                                faults.append(f"{path}:{number}: {module} -> {target} ({include})")
                    elif angled:
                        library = library_of(angled.group(1), qt)
                        if library:
                            used.add((module, library))
                        if library and library not in row["libraries"]:
                            faults.append(f"{path}:{number}: {module} -> {library} ({angled.group(1)})")
    unused = []
    for module, row in sorted(table.items()):
        for target in sorted(row["may"] - {t for m, t in used if m == module}):
            unused.append(f"{module} -> {target}")
    for fault in faults:
        print("forbidden include: " + fault)
    for arrow in unused:
        print(f"unused arrow: ARCHITECTURE.md allows {arrow}, but no file there includes from it")
    faults += unused
    if faults:
        print(f"check-includes: {len(faults) - len(unused)} include(s) against ARCHITECTURE.md's table, "
              f"{len(unused)} arrow(s) it allows in vain")
        return 1
    print(f"check-includes: every include follows ARCHITECTURE.md's table ({len(table)} folders)")
    return 0


sys.exit(main())
