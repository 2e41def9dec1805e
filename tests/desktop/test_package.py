#!/usr/bin/env python3
"""Builds the Debian package from the configured build, unpacks it and checks
what it holds, its control fields, its copyright and changelog, and that the
unpacked qvl reads an unpacked template; where lintian is installed, the
package passes it without an error or a warning.

Usage: test_package.py CPACK CPACK_CONFIG VERSION SOURCE_DIR
"""
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

CPACK = CONFIG = VERSION = SOURCE = None
TEMPLATES = ["qvl_easy", "qvl_normal", "qvl_hard", "qvl_lunatic", "qvl_extra", "qvl_phantasm"]
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]


def expected_files():
    files = {"usr/bin/quovel-pm", "usr/bin/qvl",
             "usr/share/applications/quovel-pm.desktop",
             "usr/share/mime/packages/quovel-pm.xml",
             "usr/share/doc/quovel-pm/copyright", "usr/share/doc/quovel-pm/changelog.gz",
             "usr/share/man/man1/qvl.1.gz", "usr/share/man/man1/quovel-pm.1.gz"}
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
        self.assertEqual(self.field("Section"), "utils")
        self.assertRegex(self.field("Maintainer"), r"^\S.* <[^>]+@[^>]+>$")
        description = self.field("Description")
        self.assertTrue(description.startswith("score planner"))
        self.assertGreater(len(description.splitlines()), 2)
        for line in description.splitlines():
            self.assertLessEqual(len(line) + 1, 80, line)  # the control file indents by one
        # Computed by dpkg-shlibdeps from the programs, plus the platform
        # plugins that no library names.
        depends = {d.split()[0] for d in self.field("Depends").split(", ")}
        for needed in ["libc6", "libstdc++6", "libqt6widgets6", "libqt6gui6",
                       "qt6-qpa-plugins"]:
            self.assertIn(needed, depends)
        self.assertTrue(any(d.startswith("libicu") for d in depends), depends)

    def unpacked(self, path):
        with open(os.path.join(self.root, path), "rb") as f:
            data = f.read()
        return gzip.decompress(data) if path.endswith(".gz") else data

    def test_copyright_is_machine_readable_and_carries_the_licence(self):
        paragraphs = self.unpacked("usr/share/doc/quovel-pm/copyright").decode().split("\n\n")
        self.assertRegex(paragraphs[0], r"^Format: https://www\.debian\.org/doc/"
                         r"packaging-manuals/copyright-format/1\.0/\n")
        licences = {p.split("\n")[0][len("License: "):]: p for p in paragraphs
                    if p.startswith("License: ")}
        self.assertEqual(set(licences), {"Expat"})
        files = [p for p in paragraphs if p.startswith("Files: ")]
        self.assertEqual([p.split("\n")[0] for p in files], ["Files: *", "Files: template/*"])
        for p in files:
            self.assertIn("\nLicense: Expat", p)
            self.assertIn("the Quovel Pattern Manager authors", p)
        # The licence's own words, as the repository's LICENSE has them.
        with open(os.path.join(SOURCE, "LICENSE"), encoding="utf-8") as f:
            licence = f.read()
        words = lambda text: " ".join(text.replace("\n .\n", " ").split())
        body = licences["Expat"].split("\n", 1)[1]
        self.assertIn(words(body), words(licence))
        self.assertIn("Copyright (c) 2026 the Quovel Pattern Manager authors", licence)

    def test_changelog_names_this_version(self):
        changelog = self.unpacked("usr/share/doc/quovel-pm/changelog.gz").decode()
        self.assertRegex(changelog.splitlines()[0],
                         r"^quovel-pm \(%s\) \w+; urgency=\w+$" % re.escape(VERSION))
        self.assertRegex(changelog, r"\n -- [^<]+ <[^>]+>  \w{3}, \d{2} \w{3} \d{4} ")

    def test_manual_pages_name_their_programs(self):
        for program in ["qvl", "quovel-pm"]:
            page = self.unpacked("usr/share/man/man1/%s.1.gz" % program).decode()
            name = page.split("\n.SH NAME\n", 1)[1].split("\n", 1)[0]
            self.assertTrue(name.startswith(program.replace("-", "\\-") + " \\- "), name)

    @unittest.skipUnless(shutil.which("lintian"), "lintian is not installed")
    def test_lintian_finds_no_error_or_warning(self):
        run = subprocess.run(["lintian", "--tag-display-limit", "0", self.deb],
                             capture_output=True, text=True, timeout=100)
        findings = [line for line in run.stdout.splitlines() if re.match(r"[EW]: ", line)]
        self.assertEqual(findings, [])
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)

    def test_unpacked_qvl_reads_an_unpacked_template(self):
        qvl = os.path.join(self.root, "usr/bin/qvl")
        hard = os.path.join(self.root, "usr/share/quovel-pm/template/qvl_hard.pat")
        run = subprocess.run([qvl, "tree", hard], capture_output=True, timeout=30)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout.decode("utf-8").splitlines()[0],
                         "/\troot\troot\tQuovel Hard")


if __name__ == "__main__":
    CPACK, CONFIG, VERSION, SOURCE = sys.argv[1:5]
    unittest.main(argv=sys.argv[:1], verbosity=2)
