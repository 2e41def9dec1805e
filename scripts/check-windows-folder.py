#!/usr/bin/env python3
"""Checks a deployed Windows folder (cmake --install of the Windows build):
both programs, the templates, Qt's Japanese translation, qt.conf and the
licences are there, and no DLL is there that nothing in the folder imports
(the programs' runs under Wine show that none is missing).

check-windows-folder.py FOLDER"""
import glob
import os
import subprocess
import sys

folder = sys.argv[1]
failures = []
for required in ["quovel-pm.exe", "qvl.exe", "qt.conf", "translations/qtbase_ja.qm",
                 "platforms/qwindows.dll", "platforms/qminimal.dll",
                 "styles/qwindowsvistastyle.dll", "licences/README.txt"]:
    if not os.path.isfile(os.path.join(folder, required)):
        failures.append(f"missing {required}")
if len(glob.glob(os.path.join(folder, "template", "*.pat"))) != 6:
    failures.append("not the six templates in template/")

binaries = [p for p in glob.glob(os.path.join(folder, "**", "*"), recursive=True)
            if p.lower().endswith((".exe", ".dll"))]
imported = set()
for binary in binaries:
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", binary], check=True,
                          capture_output=True, text=True).stdout
    imported |= {line.split("DLL Name:", 1)[1].strip().lower()
                 for line in dump.splitlines() if "DLL Name:" in line}
top_dlls = [p for p in binaries if os.path.dirname(p) == folder.rstrip("/") and p.endswith(".dll")]
for dll in top_dlls:
    if os.path.basename(dll).lower() not in imported:
        failures.append(f"{os.path.basename(dll)} is imported by nothing in the folder")
if failures:
    sys.exit("\n".join(failures))
print(f"{folder}: {len(top_dlls)} DLLs beside the programs, each one used:",
      " ".join(sorted(os.path.basename(d) for d in top_dlls)))
