#!/usr/bin/env python3
"""Completes a Windows program folder: the Qt plugins the programs load, every
DLL that they and those plugins import from Qt or MinGW's runtime (followed
through the DLLs' own imports, and nothing else), Qt's Japanese translation
and a qt.conf that makes Qt look for all of it inside the folder.

deploy-windows.py FOLDER --qt QT_PREFIX --translations DIR --dll-dir DIR...
FOLDER holds the programs (*.exe) already. DLLs found in no given folder are
Windows' own and are left out; the script prints what it copied."""
import argparse
import os
import shutil
import subprocess
import sys

# What the window loads at run time rather than links: the Windows platform,
# the minimal one for runs without a window (--export-chart, --help), and the
# native style. Images are PNG, which Qt reads without a plugin.
PLUGINS = ["platforms/qwindows.dll", "platforms/qminimal.dll", "styles/qwindowsvistastyle.dll"]
# Qt's dialogs and buttons in Japanese (the window's own texts are built in).
TRANSLATIONS = ["qtbase_ja.qm"]
QT_CONF = "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n"


def imports(objdump, path):
    out = subprocess.run([objdump, "-p", path], check=True, capture_output=True, text=True).stdout
    return [line.split("DLL Name:", 1)[1].strip() for line in out.splitlines() if "DLL Name:" in line]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--qt", required=True)
    parser.add_argument("--translations", required=True)
    parser.add_argument("--dll-dir", action="append", default=[])
    parser.add_argument("--objdump", default="x86_64-w64-mingw32-objdump")
    args = parser.parse_args()

    folder = args.folder
    search = [os.path.join(args.qt, "bin")] + args.dll_dir
    available = {}
    for d in search:
        if os.path.isdir(d):
            for name in os.listdir(d):
                if name.lower().endswith(".dll"):
                    available.setdefault(name.lower(), os.path.join(d, name))

    pending = [os.path.join(folder, n) for n in sorted(os.listdir(folder)) if n.lower().endswith(".exe")]
    if not pending:
        sys.exit(f"deploy-windows.py: no program in {folder}")
    for plugin in PLUGINS:
        source = os.path.join(args.qt, "plugins", plugin)
        target = os.path.join(folder, plugin)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(source, target)
        print(f"  plugin {plugin}")
        pending.append(target)

    copied = set()
    while pending:
        for name in imports(args.objdump, pending.pop()):
            key = name.lower()
            if key in copied or key not in available:
                continue
            copied.add(key)
            target = os.path.join(folder, os.path.basename(available[key]))
            shutil.copy2(available[key], target)
            print(f"  {os.path.basename(target)}")
            pending.append(target)

    os.makedirs(os.path.join(folder, "translations"), exist_ok=True)
    for qm in TRANSLATIONS:
        shutil.copy2(os.path.join(args.translations, qm), os.path.join(folder, "translations", qm))
        print(f"  translations/{qm}")
    with open(os.path.join(folder, "qt.conf"), "w", newline="\r\n") as f:
        f.write(QT_CONF)


if __name__ == "__main__":
    main()
