#!/usr/bin/env python3
"""Fails when a text of the program has no translation in a catalogue: lupdate
brings a copy of each committed catalogue up to date with the sources, and
every message it marks unfinished is a text of the window, the grid or the
core (qvl's included) without its translation. Also fails when a translation
drops or invents a placeholder (%1, %2, ... in the window's texts; {1}, {2},
... in the core's).

Usage: test_translations.py LUPDATE SOURCE_ROOT CATALOGUE.ts...
"""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

lupdate, root, catalogues = sys.argv[1], sys.argv[2], sys.argv[3:]
if not catalogues:
    sys.exit("no catalogue given")


def placeholders(context, text):
    pattern = r"\{\d\}" if context == "qvl::Messages" else r"%\d"
    return sorted(set(re.findall(pattern, text)))


failures = []
for committed in catalogues:
    with tempfile.TemporaryDirectory() as tmp:
        ts = f"{tmp}/check.ts"
        shutil.copy(committed, ts)
        subprocess.run([lupdate, "-silent", "-no-obsolete", "-locations", "none", "-I",
                        f"{root}/src", f"{root}/src/ui", f"{root}/src/grid",
                        f"{root}/src/model/qvl_messages.cpp", "-ts", ts], check=True)
        tree = ET.parse(ts)
    language = tree.getroot().get("language")
    for context in tree.getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = "".join(message.find("source").itertext())
            translation = message.find("translation")
            text = "".join(translation.itertext())
            if translation.get("type") == "unfinished" or not text:
                failures.append(f"no {language} for {name}: {source!r}")
                continue
            if placeholders(name, source) != placeholders(name, text):
                failures.append(f"placeholders differ in {name}: {source!r} -> {text!r}")

for f in failures:
    print(f)
print(f"{len(failures)} problem(s)")
sys.exit(1 if failures else 0)
