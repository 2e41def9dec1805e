#!/usr/bin/env python3
"""The Windows qvl gives byte for byte what the Linux qvl gives: standard
output, standard error and exit status of every command, on every template
and on a plan with a Japanese file name.

Usage: test_qvl_same_output.py LINUX_QVL WINDOWS_QVL TEMPLATES
QVL_RUNNER names the emulator that the Windows qvl runs under (Wine).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

LINUX = WINDOWS = TEMPLATES = None


def run(command, *args):
    env = {k: v for k, v in os.environ.items() if k != "QVL_LANG"}
    proc = subprocess.run([*command, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=60, env=env)
    return proc.returncode, proc.stdout, proc.stderr


class SameOutput(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.plans = sorted(os.path.join(TEMPLATES, name) for name in os.listdir(TEMPLATES)
                            if name.endswith(".pat"))
        japanese = os.path.join(self.dir.name, "計画①.pat")
        shutil.copyfile(self.plans[0], japanese)
        self.plans.append(japanese)

    def tearDown(self):
        self.dir.cleanup()

    def commands(self, plan):
        code, tree, _ = run(LINUX, "tree", plan)
        self.assertEqual(code, 0)
        last = tree.decode("utf-8").rstrip("\n").split("\n")[-1].split("\t")[0]
        yield ("tree", plan)
        for path in ("/", "/0", last):
            yield ("explain", plan, path)
            yield ("totals", plan, path)
            yield ("status", plan, path)
        yield ("compare", plan, last, "graze=120", "getting-spell-card=true")
        yield ("--lang", "en", "explain", plan, last)
        yield ("calc", "--file", plan, "--node", last, "scb(30)", "1E400", "1/3")
        yield ("normalize", plan)
        yield ("export", plan, "--format", "csv")
        yield ("export", plan, "--format", "json")
        yield ("explain", plan, "/99")  # a usage error and its message
        yield ("tree", plan + ".missing")  # a file error and its message

    def test_every_command_on_every_plan(self):
        for plan in self.plans:
            for args in self.commands(plan):
                with self.subTest(args=" ".join(args)):
                    self.assertEqual(run(WINDOWS, *args), run(LINUX, *args))

    def test_saved_files_are_the_same(self):
        for plan in self.plans:
            with self.subTest(plan=plan):
                outputs = []
                for name, command in (("linux.pat", LINUX), ("windows.pat", WINDOWS)):
                    out = os.path.join(self.dir.name, name)
                    self.assertEqual(run(command, "normalize", plan, "-o", out)[0], 0)
                    with open(out, "rb") as f:
                        outputs.append(f.read())
                self.assertEqual(outputs[0], outputs[1])

    def test_a_file_saved_over_itself_is_the_same(self):
        # qvl reads the file (and marks it in use) while it saves over it.
        results = []
        for name, command in (("linux.pat", LINUX), ("windows.pat", WINDOWS)):
            path = os.path.join(self.dir.name, name)
            shutil.copyfile(self.plans[0], path)
            code = run(command, "normalize", path, "-o", path)[0]
            with open(path, "rb") as f:
                results.append((code, f.read()))
        self.assertEqual(results[0], results[1])
        self.assertEqual(results[0][0], 0)


if __name__ == "__main__":
    LINUX = [sys.argv[1]]
    WINDOWS = os.environ.get("QVL_RUNNER", "").split() + [sys.argv[2]]
    TEMPLATES = sys.argv[3]
    unittest.main(argv=[sys.argv[0], "-v"])
