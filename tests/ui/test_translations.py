#!/usr/bin/env python3
"""Fails when a text of the window has no English translation: lupdate brings
a copy of the committed translation up to date with the sources, and every
message it marks unfinished is a tr() text without its English. Also fails
when a translation drops or invents a placeholder (%1, %2, ...).

Usage: test_translations.py LUPDATE SOURCE_ROOT TS_FILE
"""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

lupdate, root, committed = sys.argv[1:4]
with tempfile.TemporaryDirectory() as tmp:
    ts = f"{tmp}/check.ts"
    shutil.copy(committed, ts)
    subprocess.run([lupdate, "-silent", "-no-obsolete", "-locations", "none", "-I", f"{root}/src",
                    f"{root}/src/ui", f"{root}/src/grid", "-ts", ts], check=True)
    tree = ET.parse(ts)

failures = []
for context in tree.getroot().iter("context"):
    name = context.findtext("name")
    for message in context.iter("message"):
        source = "".join(message.find("source").itertext())
        translation = message.find("translation")
        text = "".join(translation.itertext())
        if translation.get("type") == "unfinished" or not text:
            failures.append(f"no English for {name}: {source!r}")
            continue
        placeholders = lambda s: sorted(set(re.findall(r"%\d", s)))
        if placeholders(source) != placeholders(text):
            failures.append(f"placeholders differ in {name}: {source!r} -> {text!r}")

for f in failures:
    print(f)
print(f"{len(failures)} problem(s)")
sys.exit(1 if failures else 0)
