#!/usr/bin/env python3
"""The desktop's files: the pattern file type as the desktop's own tools see it,
and the desktop entry.

Usage: test_desktop_files.py RESOURCES_DIR TEMPLATE_DIR
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

RESOURCES = None
TEMPLATES = None
PATTERN_TYPE = "application/x-quovel-pattern"
SYSTEM_TYPES = "/usr/share/mime/packages/freedesktop.org.xml"


def gimp_pattern():
    """A 2x2 grey pattern in the GIMP's format: its magic "GPAT" at byte 20."""
    name = b"stripes\0"
    header = struct.pack(">IIIII", 24 + len(name), 1, 2, 2, 1) + b"GPAT" + name
    return header + bytes(4)


class FileType(unittest.TestCase):
    """The definition joins the system's types in a database of its own, as a
    package installs it, and files are looked up the way xdg-mime does."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="qvl-mime-")
        packages = os.path.join(cls.tmp, "mime", "packages")
        os.makedirs(packages)
        shutil.copy(SYSTEM_TYPES, packages)
        shutil.copy(os.path.join(RESOURCES, "quovel-pm.xml"), packages)
        cls.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": cls.tmp,
                   "XDG_DATA_HOME": os.path.join(cls.tmp, "no-user-data"),
                   "XDG_DATA_DIRS": cls.tmp, "PKGSYSTEM_ENABLE_FSYNC": "0"}
        cls.update = subprocess.run(["update-mime-database", os.path.join(cls.tmp, "mime")],
                                    env=cls.env, capture_output=True, text=True, timeout=60)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def test_definition_is_accepted_without_complaint(self):
        lint = subprocess.run(["xmllint", "--noout", os.path.join(RESOURCES, "quovel-pm.xml")],
                              capture_output=True, text=True, timeout=30)
        self.assertEqual((lint.returncode, lint.stderr), (0, ""))
        # update-mime-database reports a bad rule among its output and still
        # succeeds.
        self.assertEqual((self.update.returncode, self.update.stdout + self.update.stderr),
                         (0, ""))

    def test_lookup(self):
        documents = os.path.join(self.tmp, "files")
        os.makedirs(documents, exist_ok=True)
        with open(os.path.join(TEMPLATES, "qvl_hard.pat"), "rb") as f:
            hard = f.read()
        cases = [
            ("template.pat", hard, PATTERN_TYPE),
            ("commented.pat", b"; my route\r\n;\r\n\r\n  " + hard, PATTERN_TYPE),
            ("texture.pat", gimp_pattern(), "image/x-gimp-pat"),
            ("notes.pat", b"pattern A: left, left, bomb\n", None),
        ]
        for name, content, expected in cases:
            with self.subTest(file=name):
                path = os.path.join(documents, name)
                with open(path, "wb") as f:
                    f.write(content)
                found = subprocess.run(["xdg-mime", "query", "filetype", path], env=self.env,
                                       capture_output=True, text=True, timeout=30)
                self.assertEqual(found.returncode, 0, found.stderr)
                if expected is None:
                    self.assertNotEqual(found.stdout.strip(), PATTERN_TYPE)
                else:
                    self.assertEqual(found.stdout.strip(), expected)


class DesktopEntry(unittest.TestCase):
    def test_entry_validates_and_opens_pattern_files(self):
        entry = os.path.join(RESOURCES, "quovel-pm.desktop")
        check = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True,
                               timeout=30)
        self.assertEqual((check.returncode, check.stdout + check.stderr), (0, ""))
        with open(entry, encoding="utf-8") as f:
            lines = f.read().splitlines()
        self.assertIn("MimeType=%s;" % PATTERN_TYPE, lines)
        self.assertIn("Exec=quovel-pm %f", lines)


if __name__ == "__main__":
    RESOURCES, TEMPLATES = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)
