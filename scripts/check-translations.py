#!/usr/bin/env python3
"""Holds the window's translation files to the sources.

    check-translations.py --lupdate LUPDATE --options "LUPDATE OPTIONS" [--root DIR] FILE...

FILE is a .ts file or a source file, relative to DIR (default: the current folder). lupdate
reads the sources into a fresh catalogue, and every .ts file must hold exactly its messages
(none missing, none left over), each one translated: no unfinished, empty, obsolete or
vanished entry, the same places (%1, %2, ..., written %L1 where the language's own digits are
wanted) as the English text, and a keyboard letter (&) exactly where the English text has
one. The file's language must be the one its name ends with (trovelle_de.ts: German).
Exits 1, naming each fault, when one is found.
"""
import argparse
import os
import re
import shlex
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

PLACE = re.compile(r"%L?(\d+)")
# A keyboard letter: one & before a character other than &.
LETTER = re.compile(r"(?<!&)&(?!&)")


def messages(path):
    """{(context, source, comment): message element} of a .ts file, and its root."""
    root = ET.parse(path).getroot()
    found = {}
    for context in root.iter("context"):
        name = context.findtext("name", "")
        for message in context.iter("message"):
            key = (name, message.findtext("source", ""), message.findtext("comment", ""))
            found[key] = message
    return found, root


def describe(key):
    context, source, comment = key
    return f"{context}: {source!r}" + (f" ({comment})" if comment else "")


def translations(message):
    element = message.find("translation")
    if element is None:
        return None, []
    forms = element.findall("numerusform")
    texts = [f.text or "" for f in forms] if forms else [element.text or ""]
    return element.get("type"), texts


def check_file(ts, expected):
    faults = []
    found, root = messages(ts)
    language = root.get("language", "")
    wanted = os.path.basename(ts).rsplit("_", 1)[-1].split(".")[0]
    if language.split("_")[0] != wanted:
        faults.append(f"{ts}: the language is {language!r}, not {wanted!r} as the name says")
    for key in sorted(expected.keys() - found.keys()):
        faults.append(f"{ts}: missing {describe(key)}")
    for key in sorted(found.keys() - expected.keys()):
        faults.append(f"{ts}: left over, no longer in the sources: {describe(key)}")
    for key in sorted(found.keys() & expected.keys()):
        kind, texts = translations(found[key])
        source = key[1]
        if kind is not None:
            faults.append(f"{ts}: {kind} {describe(key)}")
        if not texts or any(not t.strip() for t in texts):
            faults.append(f"{ts}: no translation of {describe(key)}")
            continue
        for text in texts:
            if sorted(set(PLACE.findall(text))) != sorted(set(PLACE.findall(source))):
                faults.append(f"{ts}: the places of {describe(key)} differ in {text!r}")
            if len(LETTER.findall(text)) != len(LETTER.findall(source)):
                faults.append(f"{ts}: the keyboard letter (&) of {describe(key)} differs in {text!r}")
    return faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lupdate", required=True)
    parser.add_argument("--options", default="")
    parser.add_argument("--root", default=".")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()

    ts_files = [f for f in args.files if f.endswith(".ts")]
    sources = [f for f in args.files if not f.endswith(".ts")]
    if not ts_files or not sources:
        parser.error("give .ts files and the sources they translate")
    with tempfile.TemporaryDirectory() as work:
        fresh = os.path.join(work, "fresh.ts")
        run = subprocess.run([args.lupdate, "-silent", *shlex.split(args.options), *sources, "-ts", fresh],
                             cwd=args.root, capture_output=True, text=True)
        if run.returncode != 0 or not os.path.exists(fresh):
            sys.stdout.write(run.stdout + run.stderr)
            print("lupdate could not read the sources")
            return 1
        if run.stderr.strip():
            # lupdate's warnings: a tr() it cannot place, a class without its context.
            sys.stdout.write(run.stderr)
            print("lupdate warns about the sources")
            return 1
        expected, _ = messages(fresh)
    if not expected:
        print("lupdate found no text to translate in the sources")
        return 1

    faults = []
    for ts in ts_files:
        faults += check_file(os.path.join(args.root, ts), expected)
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print(f"{len(ts_files)} translation files, {len(expected)} texts each, all translated")
    return 0


if __name__ == "__main__":
    sys.exit(main())
