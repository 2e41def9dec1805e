#!/usr/bin/env python3
"""Runs quovel-pm --export-chart as a process: the picture of a plan drawn
without a window, and the exit codes and messages of its failures."""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

PROGRAM = None
TEMPLATES = None


def run(*args, config=None):
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)  # the command needs no display of any kind
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    # The settings of whoever runs the tests (their chosen language) stay out.
    env["XDG_CONFIG_HOME"] = config or tempfile.mkdtemp(prefix="qvl_chart_config_")
    try:
        return subprocess.run([PROGRAM, "--export-chart", *args], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=60, env=env)
    finally:
        if config is None:
            shutil.rmtree(env["XDG_CONFIG_HOME"], ignore_errors=True)


def svg_text(path):
    # A text drawn in several fonts is written in pieces: joined in order.
    return "".join("".join(t.itertext()).strip()
                   for t in ET.parse(path).getroot().iter("{http://www.w3.org/2000/svg}text"))


def stage_titles(name):
    with open(os.path.join(TEMPLATES, name), "rb") as f:
        text = f.read().decode("cp932")
    return re.findall(r'\(group \(@ \(kind "stage"\)\s+\(title "([^"]*)"\)', text)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    return struct.unpack(">II", head[16:24])


class ExportChart(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="qvl_chart_")
        self.plan = os.path.join(self.dir, "hard.pat")
        shutil.copy(os.path.join(TEMPLATES, "qvl_hard.pat"), self.plan)

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def test_png_at_the_first_size_and_a_chosen_one(self):
        for args, size in (((), (900, 520)), (("--size", "640x400"), (640, 400))):
            out = self.path("chart%d.png" % size[0])
            proc = run(self.plan, out, *args)
            self.assertEqual(proc.returncode, 0, proc.stderr.decode("utf-8", "replace"))
            self.assertEqual(proc.stderr, b"")
            self.assertEqual(png_size(out), size)

    def test_svg_holds_every_stage_title_and_replaces_the_old_file(self):
        out = self.path("chart.svg")
        with open(out, "wb") as f:
            f.write(b"old")
        proc = run(self.plan, out)
        self.assertEqual(proc.returncode, 0, proc.stderr.decode("utf-8", "replace"))
        texts = svg_text(out)
        titles = stage_titles("qvl_hard.pat")
        self.assertEqual(len(titles), 6)
        for title in titles:
            self.assertIn(title, texts)
        self.assertEqual([n for n in os.listdir(self.dir) if n.endswith(".tmp")], [])

    def test_an_abandoned_temporary_file_drawn_beside_its_picture_is_kept(self):
        # The picture's save clears abandoned temporary files from the folder,
        # but never the one being read, as in qvl.
        plan = os.path.join(self.dir, ".qvl-save-0123456789abcdef.tmp")
        os.rename(self.plan, plan)
        proc = run(plan, os.path.join(self.dir, "chart.png"))
        self.assertEqual(proc.returncode, 0, proc.stderr.decode("utf-8", "replace"))
        self.assertEqual(sorted(os.listdir(self.dir)), sorted([os.path.basename(plan), "chart.png"]))

    def test_a_file_that_is_no_plan_is_refused(self):
        for name, content in (("notes.pat", b"hello, not a plan\n"), ("cut.pat", b"(root (@ "),
                              ("missing.pat", None)):
            source = self.path(name)
            if content is not None:
                with open(source, "wb") as f:
                    f.write(content)
            out = self.path("out.png")
            proc = run(source, out)
            self.assertEqual(proc.returncode, 3, name)
            message = proc.stderr.decode("utf-8")
            self.assertIn(name, message)
            self.assertRegex(message, "[ぁ-んァ-ン一-龥]")  # said in Japanese
            self.assertFalse(os.path.exists(out), name)

    def test_an_output_that_cannot_be_written(self):
        out = self.path(os.path.join("no such folder", "chart.png"))
        proc = run(self.plan, out)
        self.assertEqual(proc.returncode, 3)
        self.assertIn("を保存できませんでした。", proc.stderr.decode("utf-8"))
        self.assertFalse(os.path.exists(out))

    def test_a_wrong_command_line(self):
        for args in ((), (self.plan,), (self.plan, self.path("chart.jpg")),
                     (self.plan, self.path("c.png"), "--size", "big"),
                     (self.plan, self.path("c.png"), "--size", "10x10"),
                     (self.plan, self.path("c.png"), "--colour")):
            proc = run(*args)
            self.assertEqual(proc.returncode, 2, args)
            self.assertIn("使い方: quovel-pm --export-chart", proc.stderr.decode("utf-8"), args)
        self.assertFalse(os.path.exists(self.path("chart.jpg")))

    def test_the_language_asked_for_or_the_one_the_window_last_used(self):
        config = self.path("config")
        os.makedirs(os.path.join(config, "quovel-pm"))
        with open(os.path.join(config, "quovel-pm", "quovel-pm.conf"), "w") as f:
            f.write("[General]\nlanguage=en\n")
        for args, kwargs, english in (((), {}, False), (("--lang", "en"), {}, True),
                                      ((), {"config": config}, True),
                                      (("--lang=ja",), {"config": config}, False)):
            out = self.path("chart.svg")
            proc = run(self.plan, out, *args, **kwargs)
            self.assertEqual(proc.returncode, 0, proc.stderr.decode("utf-8", "replace"))
            texts = svg_text(out)
            self.assertEqual("Running score" in texts, english, args)
            self.assertEqual("累計スコア" in texts, not english, args)
            # The plan's own titles stay as written.
            self.assertIn(stage_titles("qvl_hard.pat")[0], texts)
        # Failures are said in English too, the core's part of the message included.
        for args, code in (((self.path("missing.pat"), self.path("c.png")), 3),
                           ((self.plan, self.path("c.jpg")), 2)):
            proc = run("--lang", "en", *args)
            self.assertEqual(proc.returncode, code, args)
            message = proc.stderr.decode("utf-8")
            self.assertNotRegex(message, "[ぁ-んァ-ン一-龥]", args)
        self.assertIn("Usage: quovel-pm --export-chart", message)
        proc = run(self.plan, self.path("c.png"), "--lang", "fr")
        self.assertEqual(proc.returncode, 2)
        self.assertIn("fr", proc.stderr.decode("utf-8"))


if __name__ == "__main__":
    PROGRAM, TEMPLATES = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1])
