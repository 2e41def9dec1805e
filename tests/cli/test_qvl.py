#!/usr/bin/env python3
"""Runs the built qvl as a process and checks its output, exit codes and errors."""
import csv
import io
import json
import os
import subprocess
import sys
import tempfile
import unittest

QVL = None
TEMPLATES = None

PATTERN_FIELDS = ["title", "memo", "selected", "player", "bomb", "cherry-max",
                  "cherry-difference", "cherry-plus", "border-bonus-times", "bonus-item",
                  "point", "graze", "spell-card-bonus-base", "enemy-bullet-bonus",
                  "getting-spell-card"]


def pattern(**fields):
    attrs = []
    for name in PATTERN_FIELDS:
        key = name.replace("-", "_")
        if key in fields:
            value = fields[key]
            if isinstance(value, bool):
                value = "true" if value else "false"
            attrs.append('(%s "%s")' % (name, value))
    return "(pattern (@ %s))" % " ".join(attrs)


# The worked example of the score arithmetic: Normal, stage 2; W before the
# subject X gives 3000 cherry and 600 graze, Y after it the later counts.
WORKED = """; hand-made fixture
(root (@ (game "Quovel") (difficulty "Normal") (title "検証") (memo "") (grouping "false"))
  (group (@ (kind "stage") (title "Stage 1")))
  (group (@ (kind "stage") (title "Stage 2"))
    (scene (@ (kind "way") (title "W") (point "0"))
      %s)
    (scene (@ (kind "spell-card") (title "幻符「表裏」") (point "50")
              (initial-spell-card-bonus "5000000") (time-limit "60") (decrease-rate "50000"))
      %s
      %s)
    (scene (@ (kind "normal-attack") (title "Y") (point "800"))
      %s)))
""" % (
    pattern(title="w", selected=True, cherry_max=3000, graze=600),
    pattern(title="old", selected=True, border_bonus_times=1, cherry_max=1000, point=40,
            bonus_item=8, graze=80, spell_card_bonus_base=5000000, getting_spell_card=True),
    pattern(title="new", border_bonus_times=2, cherry_max=1000, point=50, bonus_item=10,
            graze=100, spell_card_bonus_base=5000000, getting_spell_card=True),
    pattern(title="y", selected=True, border_bonus_times=20, point=800, bonus_item=100,
            graze=500, getting_spell_card=True),
)

SINGLE = [4000000, 50000, 210000, 850000, 7333, 250000, 2750, 516666, 12500000, 3000,
          5000000, 0]


def run(*args, check_code=0, qvl_lang=None):
    # Japanese unless a test sets QVL_LANG, whatever the caller's environment says.
    env = {k: v for k, v in os.environ.items() if k != "QVL_LANG"}
    if qvl_lang is not None:
        env["QVL_LANG"] = qvl_lang
    proc = subprocess.run([*QVL, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=60, env=env)
    if check_code is not None and proc.returncode != check_code:
        raise AssertionError("qvl %s exited %d, expected %d\nstdout: %s\nstderr: %s" % (
            " ".join(args), proc.returncode, check_code, proc.stdout.decode("utf-8", "replace"),
            proc.stderr.decode("utf-8", "replace")))
    return proc


def out(*args, check_code=0, qvl_lang=None):
    return run(*args, check_code=check_code, qvl_lang=qvl_lang).stdout.decode("utf-8")


def terms(text):
    lines = text.splitlines()
    values = [int(line.split("\t")[1]) for line in lines[:12]]
    total = int(lines[12].split("\t")[1])
    return lines, values, total


class Fixture(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.worked = os.path.join(self.dir.name, "worked.pat")
        with open(self.worked, "wb") as f:
            f.write(WORKED.replace("\n", "\r\n").encode("cp932"))

    def tearDown(self):
        self.dir.cleanup()


class TreeAndExplain(Fixture):
    def test_tree_lists_every_node_in_document_order(self):
        lines = out("tree", self.worked).splitlines()
        self.assertEqual(lines[0], "/\troot\troot\t検証")
        self.assertEqual(lines[1], "/0\tgroup\tstage\tStage 1")
        self.assertEqual(lines[2], "/1\tgroup\tstage\tStage 2")
        self.assertEqual(lines[4], "/1/1\tscene\tspell-card\t幻符「表裏」")
        self.assertEqual(len(lines), 6)

    def test_tree_of_a_japanese_file_name_shows_control_bytes_as_themselves(self):
        # Code page 932 reads 0x1A, 0x1C and 0x7F as those characters, as on
        # Windows; the name comes through the command line whole.
        name = os.path.join(self.dir.name, "計画①.pat")
        with open(name, "wb") as f:
            text = WORKED.replace('(title "検証")', '(title "a\x1ab\x1cc\x7fd")')
            f.write(text.replace("\n", "\r\n").encode("cp932"))
        # Not splitlines(): it also splits at 0x1C.
        self.assertEqual(out("tree", name).split("\n")[0], "/\troot\troot\ta\x1ab\x1cc\x7fd")

    def test_explain_named_pattern_gives_the_worked_example(self):
        lines, values, total = terms(out("explain", self.worked, "/1/1", "--pattern", "new"))
        self.assertEqual(values, SINGLE)
        self.assertEqual(total, 23389749)
        fields = lines[2].split("\t")
        self.assertEqual(fields[0], "2")
        self.assertEqual(fields[3], "(10 * 1000) * ([(2 + 1) / 2] + 20)")
        self.assertEqual(fields[4],
                         "(10 * 増加した桜点) * ([(ここと + 1) / 2] + 以降のボーダーボーナス取得回数)")
        self.assertEqual(lines[0].split("\t")[2], "ボーダーボーナス")
        self.assertEqual(lines[12], "total\t23389749")
        self.assertEqual(len(lines), 13)

    def test_explain_of_a_group_without_grouping_has_empty_texts(self):
        lines, values, total = terms(out("explain", self.worked, "/"))
        self.assertEqual(lines[0].split("\t")[2:], ["", "", "", ""])
        self.assertNotEqual(total, 0)

    def test_explain_unknown_pattern_is_a_usage_error(self):
        proc = run("explain", self.worked, "/1/1", "--pattern", "nope", check_code=2)
        self.assertIn(b"nope", proc.stderr)


class Compare(Fixture):
    def test_compare_named_pattern_gives_the_worked_comparison(self):
        lines, values, total = terms(out("compare", self.worked, "/1/1", "--pattern", "new"))
        self.assertEqual(values[0], 4030000)
        self.assertEqual(values[7], 517466)
        self.assertEqual(values[8], 12530000)
        self.assertEqual(values[9], 3300)
        self.assertEqual(total, 23450849)
        self.assertEqual(lines[9].split("\t")[3], "(300 * 10) + (([600 / 40] * 10) * (10 - 8))")
        self.assertEqual(lines[13], "as-here-only\ttrue")

    def test_compare_with_field_changes_of_the_current_pattern(self):
        _, values, total = terms(out("compare", self.worked, "/1/1", "border-bonus-times=2",
                                     "point=50", "bonus-item=10", "graze=100"))
        self.assertEqual(total, 23450849)
        _, unchanged, _ = terms(out("compare", self.worked, "/1/1"))
        _, single, _ = terms(out("explain", self.worked, "/1/1"))
        self.assertEqual(unchanged, single)

    def test_boolean_and_text_fields(self):
        _, values, _ = terms(out("compare", self.worked, "/1/1", "getting-spell-card=FALSE",
                                 "title=新しい"))
        self.assertEqual(values[10], 0)

    def test_group_fields_on_a_group(self):
        _, values, _ = terms(out("compare", self.worked, "/1", "total-enemy-bullet-bonus=70"))
        self.assertEqual(values[11], 70)

    def test_bad_fields_and_values_are_usage_errors(self):
        for change in ["foo=1", "graze-rest=1", "point=abc", "point=9223372036854775808",
                       "getting-spell-card=yes", "point"]:
            with self.subTest(change=change):
                proc = run("compare", self.worked, "/1/1", change, check_code=2)
                self.assertTrue(proc.stderr)
        run("compare", self.worked, "/1", "graze=1", check_code=2)
        # Taken as a value; its terms leave the range, which is not a usage error.
        run("compare", self.worked, "/1/1", "point=-9223372036854775808", check_code=1)


class TotalsAndStatus(Fixture):
    def test_totals_in_file_order(self):
        lines = out("totals", self.worked, "/1/1").splitlines()
        self.assertEqual(len(lines), 39)
        self.assertEqual(lines[0], "own\tplayer\t0")
        self.assertEqual(lines[12], "own\tgetting-spell-cards-number\t1")
        before = {l.split("\t")[1]: int(l.split("\t")[2]) for l in lines if l.startswith("before")}
        self.assertEqual(before["cherry-max"], 3000)
        self.assertEqual(before["graze-rest"], 600)
        after = {l.split("\t")[1]: int(l.split("\t")[2]) for l in lines if l.startswith("after")}
        self.assertEqual(after["border-bonus-times"], 20)
        self.assertEqual(after["graze-in-getting-spell-cards"], 500)

    def test_status_panels(self):
        self.assertEqual(out("status", self.worked, "/1/1").splitlines(),
                         ["☆:     0", "G:   600", "P:    0", "C:  203000/ 203000", "C+: 1000"])
        root = out("status", self.worked, "/").splitlines()
        self.assertEqual(root[4], "Spell:  2")
        self.assertEqual(root[2], "P:  840")


class Calc(Fixture):
    def test_expressions_and_their_failures(self):
        proc = run("calc", "1+2*3", "$10", "1/0", "(1", "", "2^10", check_code=1)
        self.assertEqual(proc.stdout.decode("utf-8").splitlines(), [
            "7", "16", "error: Floating point division by zero",
            "error: 括弧の対応が正しくありません", "error: 式がありません", "1024"])

    def test_full_width_signs_that_would_change_the_meaning_are_named(self):
        # A range typed with the input method (U+301C, stored as U+FF5E) and
        # the signs that would become operators stay as typed; digits, × and
        # the like are folded.
        proc = run("calc", "１０〜２０", "５％３", "１０＾２", "１｜２", "１＆２",
                   "（１２００＋３００）×３", check_code=1)
        self.assertEqual(proc.stdout.decode("utf-8").splitlines(), [
            "error: 演算式内に、不明な識別子[%s]が含まれています" % name
            for name in ["10～20", "5％3", "10＾2", "1｜2", "1＆2"]] + ["4500"])

    def test_success_exits_zero_and_negative_numbers_follow_a_double_dash(self):
        self.assertEqual(out("calc", "--", "-5+3").splitlines(), ["-2"])

    def test_scb_reads_the_given_node(self):
        self.assertEqual(out("calc", "--file", self.worked, "--node", "/1/1", "scb(30)",
                             "scb(30)+1500*3").splitlines(), ["3525000", "3529500"])
        # A scene that is not a spell card, and no node at all, give 0.
        self.assertEqual(out("calc", "--file", self.worked, "--node", "/1/0", "scb(30)"), "0\n")
        self.assertEqual(out("calc", "scb(30)"), "0\n")
        run("calc", "--file", self.worked, "--node", "/7", "1", check_code=2)
        run("calc", "--node", "/1", "1", check_code=2)


class Language(Fixture):
    # Term 2 of the worked example, in words, and the first line of a load failure.
    FORMULA = {"ja": "(10 * 増加した桜点) * ([(ここと + 1) / 2] + 以降のボーダーボーナス取得回数)",
               "en": "(10 * cherry gained) * ([(here + 1) / 2] + later border bonuses)"}
    TITLE = {"ja": "ボーダーボーナス", "en": "Border bonus"}
    MISSING = {"ja": "」の読み込みに失敗しました。", "en": "Could not read \""}

    def explain(self, *options, qvl_lang=None):
        return terms(run(*options, "explain", self.worked, "/1/1", "--pattern", "new",
                         qvl_lang=qvl_lang).stdout.decode("utf-8"))

    def test_the_worked_example_in_each_language_has_the_same_numbers(self):
        japanese = self.explain()
        ways = [("ja", ["--lang", "ja"], None), ("ja", ["--lang", "ja"], "en"),
                ("en", ["--lang", "en"], None), ("en", ["--lang", "EN"], "ja"),
                ("en", [], "en"), ("ja", [], "")]
        for lang, options, env in ways:
            with self.subTest(options=options, qvl_lang=env):
                lines, values, total = self.explain(*options, qvl_lang=env)
                self.assertEqual((values, total), (SINGLE, 23389749))
                fields = [line.split("\t") for line in lines[:12]]
                self.assertEqual(fields[0][2], self.TITLE[lang])
                self.assertEqual(fields[2][4], self.FORMULA[lang])
                # The expressions with the numbers are the same in both languages.
                self.assertEqual([f[3] for f in fields],
                                 [line.split("\t")[3] for line in japanese[0][:12]])
                if lang == "en":
                    for f in fields:
                        self.assertTrue((f[2] + f[4] + f[5]).isascii(), f)
                else:
                    self.assertEqual(lines, japanese[0])

    def test_messages_follow_the_language(self):
        missing = os.path.join(self.dir.name, "missing.pat")
        for lang in ["ja", "en"]:
            with self.subTest(lang=lang):
                proc = run("--lang", lang, "tree", missing, check_code=3)
                self.assertIn(self.MISSING[lang], proc.stderr.decode("utf-8"))
        self.assertEqual(out("calc", "(1", qvl_lang="en", check_code=1),
                         "error: The brackets do not match\n")

    def test_usage_errors_follow_the_language(self):
        cases = [
            (["explain", self.worked, "/9/9"], "ノードのパス「/9/9」が正しくありません",
             "bad node path '/9/9'"),
            (["compare", self.worked, "/1/1", "foo=1"], "「foo」という項目はありません",
             "unknown field 'foo'"),
            (["compare", self.worked, "/1/1", "point=x"], "の値「x」が正しくありません",
             "bad value 'x'"),
            (["explain", self.worked], "PATH を指定してください", "PATH is required"),
            ([], "コマンド（tree, explain など）を指定してください", "A subcommand is required"),
            (["export", self.worked, "--format", "xml"], "「xml」は {json,csv} のいずれでもありません",
             "--format: xml not in {json,csv}"),
            (["tree", self.worked, "--bogus"], "次の引数は使われません: --bogus",
             "not expected: --bogus"),
            (["calc", "--node", "/1", "1"], "--node には --file も必要です",
             "--node requires --file"),
            (["export", self.worked, "--raw"], "--raw は --format csv と一緒に",
             "--raw is for --format csv"),
        ]
        for args, japanese, english in cases:
            with self.subTest(args=args):
                ja = run(*args, check_code=2).stderr.decode("utf-8")
                self.assertIn(japanese, ja)
                self.assertNotIn(english, ja)
                self.assertIn("qvl --help", ja)
                self.assertIn(english, run("--lang", "en", *args, check_code=2).stderr.decode())
                self.assertIn(english, run(*args, qvl_lang="en", check_code=2).stderr.decode())

    def test_a_language_that_is_not_known_is_a_usage_error(self):
        self.assertIn(b"QVL_LANG", run("tree", self.worked, qvl_lang="xx", check_code=2).stderr)
        run("--lang", "xx", "tree", self.worked, check_code=2)


class Files(Fixture):
    def test_missing_file(self):
        proc = run("tree", os.path.join(self.dir.name, "missing.pat"), check_code=3)
        self.assertIn("の読み込みに失敗しました。", proc.stderr.decode("utf-8"))

    def test_truncated_file(self):
        cut = os.path.join(self.dir.name, "cut.pat")
        data = WORKED.encode("cp932")
        with open(cut, "wb") as f:
            f.write(data[:data.index(b'"old"') + 3])
        proc = run("tree", cut, check_code=3)
        self.assertIn("他のソフト等で使用している場合は終了させて下さい。",
                      proc.stderr.decode("utf-8"))

    def test_a_file_that_is_not_a_plan_is_a_failure(self):
        for name, data in [("notes.txt", "one line of words\r\n".encode()),
                           ("x.pat", b"\x89PNG\r\n\x1a\n\0\0\0\rIHDR"),
                           ("other.pat", b"(qvl-notes (@ (title \"x\")))\r\n")]:
            with self.subTest(name=name):
                path = os.path.join(self.dir.name, name)
                with open(path, "wb") as f:
                    f.write(data)
                proc = run("tree", path, check_code=3)
                self.assertEqual(proc.stdout, b"")
                self.assertIn("「root」要素がありません。パターンファイルではないようです。",
                              proc.stderr.decode("utf-8"))
                run("normalize", path, "-o", path, check_code=3)
                with open(path, "rb") as f:
                    self.assertEqual(f.read(), data)

    def test_only_blanks_and_comments_are_an_empty_plan(self):
        for data in [b"", b"\r\n  \t", b"; a note\r\n#| and a block |#\r\n"]:
            with self.subTest(data=data):
                path = os.path.join(self.dir.name, "empty.pat")
                with open(path, "wb") as f:
                    f.write(data)
                self.assertEqual(out("tree", path), "/\troot\troot\t\n")

    def test_bad_paths(self):
        for path in ["/9", "1", "/1/1/0", "/x", "/-1", "//", ""]:
            with self.subTest(path=path):
                run("explain", self.worked, path, check_code=2)

    def test_normalize_is_stable_and_writes_files(self):
        first = run("normalize", self.worked).stdout
        self.assertTrue(first.startswith(b'(root (@ (game "Quovel")\r\n'))
        self.assertTrue(first.endswith(b")\r\n"))
        again = os.path.join(self.dir.name, "again.pat")
        run("normalize", self.worked, "-o", again)
        with open(again, "rb") as f:
            self.assertEqual(f.read(), first)
        self.assertEqual(run("normalize", again).stdout, first)
        run("normalize", self.worked, "-o", os.path.join(self.dir.name, "no", "such", "dir.pat"),
            check_code=3)

    def test_arguments_take_the_jis_variants_of_input_methods(self):
        path = os.path.join(self.dir.name, "wave.pat")
        with open(path, "wb") as f:
            f.write(WORKED.replace('(title "new"', '(title "3面～4面"').encode("cp932"))
        # Typed with U+301C, found as the code page's U+FF5E.
        self.assertEqual(terms(out("explain", path, "/1/1", "--pattern", "3面〜4面"))[1], SINGLE)
        proc = run("explain", path, "/1/1", "--pattern", "3面😀", check_code=2)
        self.assertIn(b"U+1F600", proc.stderr)

    def test_usage(self):
        self.assertIn(b"explain", run("--help").stdout)
        self.assertIn(b"0.04", run("--version").stdout)
        run(check_code=2)
        run("frobnicate", check_code=2)
        run("tree", self.worked, "--bogus", check_code=2)
        run("export", self.worked, "--format", "xml", check_code=2)


def plan(*scenes):
    """A Normal plan of one stage whose scenes have one selected pattern each."""
    body = "".join('\r\n    (scene (@ (kind "way") (title "S%d")) %s)'
                   % (i, pattern(title="p", selected=True, **fields))
                   for i, fields in enumerate(scenes))
    return ('(root (@ (game "Quovel") (difficulty "Normal") (title "o") (memo "") '
            '(grouping "false"))\r\n  (group (@ (kind "stage") (title "Stage 1"))%s))\r\n' % body)


# Counts the cells accept whose terms, totals, running totals or sums leave
# the signed 64-bit range: (plan, command after FILE, the names reported).
ISSUE = dict(cherry_max=987654321098, point=1234567890123, graze=98765432109,
             bonus_item=123456789012)
HALF = dict(point=5000000000000000000)
TERM3 = "桜点の増減の、ここと以降の得点アイテムの得点に及ぼす影響"
TERM6 = "かすり数の増加による、ここと以降のボーナスアイテムの得点の上昇"
TERM8 = "得点アイテムとそのクリアボーナス"
OVERFLOWING = [
    (plan(ISSUE), ["explain", "/0/0"], [TERM3, TERM6, "合計"]),
    (plan(ISSUE), ["explain", "/"], [TERM3, TERM6, "合計"]),
    (plan({}), ["compare", "/0/0", "point=9223372036854775807"], [TERM8, "合計"]),
    (plan(HALF, HALF), ["totals", "/0"], ["own point"]),
    (plan(HALF, HALF), ["status", "/"], ["得点アイテム"]),
    (plan(ISSUE), ["export", "--format", "csv"], [TERM3, TERM6, "合計", "累計"]),
    (plan(ISSUE), ["export"], [TERM3, TERM6, "合計", "累計"]),
    (plan(dict(point=20000000000000), dict(point=20000000000000)), ["export"], ["累計"]),
]


class OutOfRange(Fixture):
    def test_values_beyond_64_bits_are_reported_not_wrapped(self):
        for text, command, names in OVERFLOWING:
            with self.subTest(command=command, names=names):
                path = os.path.join(self.dir.name, "big.pat")
                with open(path, "wb") as f:
                    f.write(text.encode("cp932"))
                proc = run(*command[:1], path, *command[1:], check_code=1)
                stderr = proc.stderr.decode("utf-8")
                for name in names:
                    self.assertIn("「%s」の値が64ビット整数の範囲を超える" % name, stderr)
                self.assertEqual(len(stderr.splitlines()), len(names), stderr)
                stdout = proc.stdout.decode("utf-8")
                if command[0] == "export" and "--format" not in command:
                    self.assertIn("null", stdout)
                elif command[0] != "export":
                    self.assertIn("桁あふれ", stdout)
        # What stays in range is shown exactly, as before.
        path = os.path.join(self.dir.name, "issue.pat")
        with open(path, "wb") as f:
            f.write(plan(ISSUE).encode("cp932"))
        lines = run("explain", path, "/0/0", check_code=1).stdout.decode().splitlines()
        self.assertEqual(lines[8].split("\t")[1], "308641972530750000")
        self.assertEqual(lines[3].split("\t")[1], "桁あふれ")
        english = run("--lang", "en", "explain", path, "/0/0", check_code=1)
        self.assertIn('the value of "Total" is beyond the 64-bit integer range',
                      english.stderr.decode())


class Export(Fixture):
    def check_csv(self, path):
        text = out("export", path, "--format", "csv")
        rows = list(csv.DictReader(io.StringIO(text, newline="")))
        root_total = terms(out("explain", path, "/"))[2]
        running = 0
        for row in rows:
            running += int(row["total"])
            self.assertEqual(int(row["running_total"]), running)
            self.assertEqual(sum(int(row[k]) for k in list(row)[6:18]), int(row["total"]))
        self.assertEqual(running, root_total)
        return rows

    def test_csv_has_one_row_per_counted_scene(self):
        rows = self.check_csv(self.worked)
        self.assertEqual([r["path"] for r in rows], ["/1/0", "/1/1", "/1/2"])
        self.assertEqual(rows[1]["title"], "幻符「表裏」")
        self.assertEqual(rows[1]["pattern"], "old")
        self.assertEqual(rows[1]["stage"], "2")

    def test_csv_replaces_a_grouping_group_by_its_row(self):
        grouped = os.path.join(self.dir.name, "grouped.pat")
        text = WORKED.replace('(title "Stage 2"))', '(title "Stage 2") (grouping "true"))')
        with open(grouped, "wb") as f:
            f.write(text.encode("cp932"))
        rows = self.check_csv(grouped)
        self.assertEqual([r["path"] for r in rows], ["/1"])

    def test_csv_titles_never_run_as_formulas(self):
        # Titles as the model holds them: a line break is CR LF.
        titles = ['=HYPERLINK("http://x","y")', "+1", "-2", "@SUM(A1)", "\tTab", "\r\nCR",
                  "plain", "a=b"]
        scenes = "".join(
            '(scene (@ (kind "way") (title "%s") (point "10")) %s)' % (
                t.replace('"', '\\"'), pattern(title=titles[-1 - i].replace('"', '\\"'),
                                                selected=True, point=-5, graze=3))
            for i, t in enumerate(titles))
        path = os.path.join(self.dir.name, "formulas.pat")
        with open(path, "wb") as f:
            f.write(('(root (@ (difficulty "Easy")) (group (@ (kind "stage")) %s))' % scenes)
                    .encode("cp932"))
        for raw in [False, True]:
            text = out("export", path, "--format", "csv", *(["--raw"] if raw else []))
            rows = list(csv.DictReader(io.StringIO(text, newline="")))
            self.assertEqual(len(rows), len(titles))
            for row, title, pattern_title in zip(rows, titles, reversed(titles)):
                for cell, expected in [(row["title"], title), (row["pattern"], pattern_title)]:
                    if not raw and expected[0] in "=+-@\t\r":
                        expected = "'" + expected
                    self.assertEqual(cell, expected, raw)
                int(row["total"]), int(row["running_total"])  # numbers stay numbers
        run("export", path, "--raw", check_code=2)  # JSON has no formulas to keep

    def test_json_holds_every_field(self):
        doc = json.loads(out("export", self.worked))
        self.assertEqual(doc["difficulty"], "Normal")
        scene = doc["children"][1]["children"][1]
        self.assertEqual(scene["kind"], "spell-card")
        self.assertEqual(scene["time-limit"], 60)
        self.assertEqual([p["title"] for p in scene["patterns"]], ["new", "old"])
        self.assertEqual(scene["patterns"][1]["graze"], 80)
        self.assertTrue(scene["patterns"][1]["selected"])
        self.assertIn("graze-rest", doc["patterns"][0])

    def test_json_values_are_the_csv_rows(self):
        grouped = os.path.join(self.dir.name, "grouped.pat")
        text = WORKED.replace('(title "Stage 1")))', '(title "Stage 1") (grouping "true")))')
        with open(grouped, "wb") as f:
            f.write(text.encode("cp932"))
        found = {}

        def collect(node):
            if "value" in node:
                found[node["path"]] = node["value"]
            for child in node.get("children", []):
                collect(child)

        collect(json.loads(out("export", grouped)))
        rows = self.check_csv(grouped)
        self.assertEqual(list(found), [r["path"] for r in rows])
        self.assertEqual(list(found), ["/0", "/1/0", "/1/1", "/1/2"])
        for row in rows:
            value = found[row["path"]]
            self.assertEqual(value["terms"], [int(row[k]) for k in list(row)[6:18]])
            self.assertEqual(value["total"], int(row["total"]))
            self.assertEqual(value["running-total"], int(row["running_total"]))

    def test_json_is_laid_out_as_a_json_library_lays_out_its_own_parse(self):
        # The export is written as it goes, never built as a tree: its bytes
        # must still be those of a tree dumped with an indent of two, escapes
        # included, on standard output and in a file alike.
        odd = os.path.join(self.dir.name, "odd.pat")
        with open(odd, "wb") as f:
            f.write(WORKED.replace('(title "Stage 1")',
                                   '(title "a\\\\b\\"c\td\r\ne\x01f 表")')
                    .encode("cp932"))
        paths = [self.worked, odd] + sorted(
            os.path.join(TEMPLATES, n) for n in os.listdir(TEMPLATES) if n.endswith(".pat"))
        saved = os.path.join(self.dir.name, "out.json")
        for path in paths:
            with self.subTest(path=path):
                text = out("export", path)
                self.assertEqual(text, json.dumps(json.loads(text), indent=2,
                                                  ensure_ascii=False) + "\n")
                run("export", path, "-o", saved)
                with open(saved, encoding="utf-8", newline="") as f:
                    self.assertEqual(f.read(), text)
        title = json.loads(out("export", odd))["children"][0]["title"]
        self.assertEqual(title, 'a\\b"c\td\r\ne\x01f 表')

    def test_templates(self):
        names = sorted(n for n in os.listdir(TEMPLATES) if n.endswith(".pat"))
        self.assertEqual(len(names), 6)
        for name in names:
            with self.subTest(template=name):
                path = os.path.join(TEMPLATES, name)
                self.assertGreater(len(out("tree", path).splitlines()), 5)
                rows = self.check_csv(path)
                self.assertGreater(len(rows), 5)


if __name__ == "__main__":
    # QVL_RUNNER names the emulator that a cross-built qvl runs under (Wine).
    QVL = os.environ.get("QVL_RUNNER", "").split() + [sys.argv[1]]
    TEMPLATES = sys.argv[2]
    unittest.main(argv=[sys.argv[0], "-v"])
