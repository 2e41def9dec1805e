#!/usr/bin/env python3
"""Lists a staged Windows folder for the installer (resources/windows/quovel-pm.nsi):
STAGE.files.nsh installs every file of STAGE, STAGE.unfiles.nsh removes
exactly those files and then their folders, each only when empty.

nsis-file-lists.py STAGE"""
import os
import sys


def main():
    stage = os.path.abspath(sys.argv[1])
    installs, removes, folders = [], [], []
    for top, dirs, files in os.walk(stage):
        dirs.sort()
        rel = os.path.relpath(top, stage)
        win = "" if rel == "." else "\\" + rel.replace("/", "\\")
        if rel != ".":
            folders.append(win)
        if not files:
            continue
        installs.append(f'SetOutPath "$INSTDIR{win}"')
        for name in sorted(files):
            installs.append(f'File "{os.path.join(top, name)}"')
            removes.append(f'Delete "$INSTDIR{win}\\{name}"')
    installs.append('SetOutPath "$INSTDIR"')
    # The deepest folders first, so that a parent is empty by its turn.
    for win in sorted(folders, key=lambda f: -f.count("\\")):
        removes.append(f'RMDir "$INSTDIR{win}"')
    for suffix, lines in ((".files.nsh", installs), (".unfiles.nsh", removes)):
        with open(stage + suffix, "w", encoding="utf-8") as f:
            f.write("; Made by scripts/nsis-file-lists.py from the staged folder.\n")
            f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
