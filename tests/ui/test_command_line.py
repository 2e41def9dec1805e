#!/usr/bin/env python3
"""Runs quovel-pm as a process for what it answers on the terminal: --help and
--version without a display, and an unknown option refused instead of being
opened as a document."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

PROGRAM = None


class CommandLine(unittest.TestCase):
    def setUp(self):
        # Settings of the test's own, holding English as the chosen language.
        self.config = tempfile.mkdtemp(prefix="qvl_cli_config_")
        os.makedirs(os.path.join(self.config, "quovel-pm"))
        self.settings = os.path.join(self.config, "quovel-pm", "quovel-pm.conf")
        with open(self.settings, "w") as f:
            f.write("[General]\nlanguage=en\n")

    def tearDown(self):
        shutil.rmtree(self.config, ignore_errors=True)

    def run_program(self, *args):
        env = dict(os.environ, XDG_CONFIG_HOME=self.config)
        for name in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"):
            env.pop(name, None)  # answers need no display of any kind
        return subprocess.run([PROGRAM, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=60, env=env)

    def test_help_and_version_answer_and_end_the_run(self):
        for args, text in ((("--help",), "Usage: quovel-pm [--lang ja|en]"),
                           (("--lang", "ja", "-h"), "使い方: quovel-pm [--lang ja|en]"),
                           (("--version",), "quovel-pm 0.04 (Quovel Pattern Manager)"),
                           # Answering clears nothing, though asked to.
                           (("--reset-settings", "--help"), "Usage: quovel-pm")):
            proc = self.run_program(*args)
            self.assertEqual(proc.returncode, 0, proc.stderr.decode("utf-8", "replace"))
            self.assertIn(text, proc.stdout.decode("utf-8"), args)
            self.assertEqual(proc.stderr, b"", args)
        with open(self.settings) as f:
            self.assertIn("language=en", f.read())

    def test_an_unknown_option_is_refused_not_opened(self):
        # Qt takes its own options first; the refusal comes before any window.
        proc = self.run_program("-platform", "offscreen", "--colour", "plan.pat")
        self.assertEqual(proc.returncode, 2)
        message = proc.stderr.decode("utf-8")
        self.assertIn("“--colour” is not a known option", message)
        self.assertIn("quovel-pm --help", message)


if __name__ == "__main__":
    PROGRAM = sys.argv[1]
    unittest.main(argv=sys.argv[:1])
