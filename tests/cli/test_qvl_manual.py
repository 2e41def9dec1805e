#!/usr/bin/env python3
"""Checks qvl's manual page against qvl's own help: every command that
`qvl --help` lists and every option that it or a command's --help lists has
an entry of its own in the page, so the two cannot drift apart.

Usage: test_qvl_manual.py QVL MANUAL_PAGE
"""
import os
import re
import subprocess
import sys
import unittest

QVL = PAGE = None
OPTION = re.compile(r"(?<![\w-])--?[A-Za-z][\w-]*")


def help_sections(*args):
    """The entries of each section of a help text: {"Options": [first words]}."""
    run = subprocess.run([*QVL, *args, "--help"], capture_output=True, text=True, timeout=30)
    if run.returncode != 0:
        raise AssertionError("qvl %s --help failed: %s" % (" ".join(args), run.stderr))
    sections, current = {}, None
    for line in run.stdout.splitlines():
        heading = re.fullmatch(r"(\w+):", line)
        if heading:
            current = sections.setdefault(heading.group(1), [])
        elif current is not None and re.match(r"  \S", line):
            current.append(line.split()[0])
    return sections


def listed_options(sections):
    return {o for entry in sections.get("Options", []) for o in entry.split(",")}


def page_entries(text):
    """The tags of the page's .TP entries as plain text ("-h , --help")."""
    plain = re.sub(r"\\f[BIRP]", "", text).replace("\\-", "-").replace("\\(aq", "'")
    lines = plain.splitlines()
    tags = [lines[i + 1] for i, line in enumerate(lines[:-1]) if line.strip() == ".TP"]
    return [re.sub(r"^\.\w+\s*", "", tag).replace('"', "") for tag in tags]


class Manual(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(PAGE, encoding="utf-8") as f:
            cls.entries = page_entries(f.read())
        top = help_sections()
        cls.commands = top.get("Subcommands", [])
        cls.options = {"": listed_options(top)}
        for command in cls.commands:
            cls.options[command] = listed_options(help_sections(command))

    def test_the_help_lists_what_the_page_must_cover(self):
        # The parse of the help itself: the commands and options qvl has.
        self.assertIn("calc", self.commands)
        self.assertIn("--version", self.options[""])
        self.assertEqual(self.options["export"], {"-h", "--help", "--format", "--raw", "-o", "--output"})

    def test_every_command_has_an_entry(self):
        first_words = {entry.split()[0] for entry in self.entries if entry.split()}
        for command in self.commands:
            self.assertIn(command, first_words, "qvl %s has no entry in %s" % (command, PAGE))

    def test_every_option_has_an_entry(self):
        documented = {o for entry in self.entries for o in OPTION.findall(entry)}
        for command, options in self.options.items():
            for option in sorted(options):
                with self.subTest(command=command, option=option):
                    self.assertIn(option, documented)


if __name__ == "__main__":
    # QVL_RUNNER names the emulator that a cross-built qvl runs under (Wine).
    QVL = os.environ.get("QVL_RUNNER", "").split() + [sys.argv[1]]
    PAGE = sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)
