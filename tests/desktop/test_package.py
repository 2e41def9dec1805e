#!/usr/bin/env python3
"""Builds the Debian package from the configured build, unpacks it and checks
what it holds, its control fields, and that the unpacked qvl reads an
unpacked template.

Usage: test_package.py CPACK CPACK_CONFIG VERSION
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

CPACK = CONFIG = VERSION = None
TEMPLATES = ["qvl_easy", "qvl_normal", "qvl_hard", "qvl_lunatic", "qvl_extra", "qvl_phantasm"]
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]


def expected_files():
    files = {"usr/bin/quovel-pm", "usr/bin/qvl",
             "usr/share/applications/quovel-pm.desktop",
             "usr/share/mime/packages/quovel-pm.xml"}
    files |= {"usr/share/quovel-pm/template/%s.pat" % t for t in TEMPLATES}
    for context, name in [("apps", "quovel-pm"),
                          ("mimetypes", "application-x-quovel-pattern")]:
        files.add("usr/share/icons/hicolor/scalable/%s/%s.svg" % (context, name))
        files |= {"usr/share/icons/hicolor/%dx%d/%s/%s.png" % (s, s, context, name)
                  for s in ICON_SIZES}
    return files


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="qvl-deb-")
        out = os.path.join(cls.tmp, "out")
        built = subprocess.run([CPACK, "--config", CONFIG, "-G", "DEB", "-B", out],
                               capture_output=True, text=True, timeout=100)
        if built.returncode != 0:
            raise AssertionError("cpack failed:\n" + built.stdout + built.stderr)
        debs = [n for n in os.listdir(out) if n.endswith(".deb")]
        if len(debs) != 1:
            raise AssertionError("expected one package, found %r" % debs)
        cls.deb = os.path.join(out, debs[0])
        cls.root = os.path.join(cls.tmp, "root")
        subprocess.run(["dpkg-deb", "-x", cls.deb, cls.root], check=True, timeout=60)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def field(self, name):
        return subprocess.run(["dpkg-deb", "-f", self.deb, name], capture_output=True,
                              text=True, check=True, timeout=30).stdout.strip()

    def test_file_list(self):
        found = set()
        for folder, _, names in os.walk(self.root):
            found |= {os.path.relpath(os.path.join(folder, n), self.root) for n in names}
        self.assertEqual(found, expected_files())
        for program in ["usr/bin/quovel-pm", "usr/bin/qvl"]:
            self.assertTrue(os.access(os.path.join(self.root, program), os.X_OK), program)

    def test_control_fields(self):
        architecture = subprocess.run(["dpkg", "--print-architecture"], capture_output=True,
                                      text=True, check=True).stdout.strip()
        self.assertEqual(self.field("Package"), "quovel-pm")
        self.assertEqual(self.field("Version"), VERSION)
        self.assertEqual(self.field("Architecture"), architecture)
        self.assertEqual(self.field("Section"), "games")
        self.assertRegex(self.field("Maintainer"), r"^\S.* <[^>]+@[^>]+>$")
        self.assertTrue(self.field("Description").startswith("score planner"))
        # Computed by dpkg-shlibdeps from the programs, plus the platform
        # plugins that no library names.
        depends = {d.split()[0] for d in self.field("Depends").split(", ")}
        for needed in ["libc6", "libstdc++6", "libqt6widgets6", "libqt6gui6",
                       "qt6-qpa-plugins"]:
            self.assertIn(needed, depends)
        self.assertTrue(any(d.startswith("libicu") for d in depends), depends)

    def test_unpacked_qvl_reads_an_unpacked_template(self):
        qvl = os.path.join(self.root, "usr/bin/qvl")
        hard = os.path.join(self.root, "usr/share/quovel-pm/template/qvl_hard.pat")
        run = subprocess.run([qvl, "tree", hard], capture_output=True, timeout=30)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout.decode("utf-8").splitlines()[0],
                         "/\troot\troot\tQuovel Hard")


if __name__ == "__main__":
    CPACK, CONFIG, VERSION = sys.argv[1], sys.argv[2], sys.argv[3]
    unittest.main(argv=sys.argv[:1], verbosity=2)
