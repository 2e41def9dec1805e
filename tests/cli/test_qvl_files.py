#!/usr/bin/env python3
"""Runs the built qvl against hostile targets and interruptions: every file it
writes is replaced whole or not at all, and every failure is reported."""
import os
import random
import resource
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

QVL = None
TEMPLATES = None


def run(*args, stdout=subprocess.PIPE, preexec_fn=None, user=None):
    command = [QVL, *args]
    if user is not None:
        command = ["setpriv", "--reuid=%d" % user, "--regid=%d" % user, "--clear-groups",
                   *command]
    return subprocess.run(command, stdout=stdout, stderr=subprocess.PIPE, timeout=60,
                          preexec_fn=preexec_fn)


def temporary_files(folder):
    return sorted(n for n in os.listdir(folder) if n.endswith(".tmp"))


def template(name="qvl_lunatic.pat"):
    with open(os.path.join(TEMPLATES, name), "rb") as f:
        return f.read()


def many_stages(copies):
    """The Lunatic template's stages repeated in one root: a large document."""
    text = template()
    start = text.index(b"\r\n  (group ")
    end = text.rindex(b")")
    return text[:start] + text[start:end] * copies + text[end:]


class Fixture(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="qvl_files_")
        self.source = os.path.join(self.dir, "source.pat")
        with open(self.source, "wb") as f:
            f.write(template())

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)


class SpecialTargets(Fixture):
    def check_refused(self, target, what):
        before = os.lstat(target)
        proc = run("normalize", self.source, "-o", target)
        self.assertEqual(proc.returncode, 3, what)
        message = proc.stderr.decode("utf-8")
        self.assertIn("を保存できませんでした。", message, what)
        after = os.lstat(target)
        self.assertEqual((after.st_ino, after.st_mode), (before.st_ino, before.st_mode), what)
        self.assertEqual(temporary_files(self.dir), [], what)
        return message

    def test_only_a_regular_file_is_replaced(self):
        fifo = os.path.join(self.dir, "fifo")
        os.mkfifo(fifo)
        self.assertIn("は通常のファイルではありません。", self.check_refused(fifo, "fifo"))
        link = os.path.join(self.dir, "link")
        os.symlink(fifo, link)
        self.assertIn("「%s」は通常のファイルではありません。" % fifo,
                      self.check_refused(link, "link to a fifo"))
        sock = os.path.join(self.dir, "sock")
        server = socket.socket(socket.AF_UNIX)
        server.bind(sock)
        self.check_refused(sock, "socket")
        server.close()
        a, b = os.path.join(self.dir, "a"), os.path.join(self.dir, "b")
        os.symlink(b, a)
        os.symlink(a, b)
        self.check_refused(a, "loop of links")
        try:
            device = os.path.join(self.dir, "null")
            os.mknod(device, 0o666 | 0o020000, os.makedev(1, 3))
        except PermissionError:
            return  # only the superuser makes devices
        self.check_refused(device, "character device")

    def test_read_only_target_for_an_ordinary_user(self):
        if os.geteuid() != 0 and shutil.which("setpriv") is None:
            self.skipTest("needs setpriv to run as another user")
        user = 65534 if os.geteuid() == 0 else None  # nobody
        os.chmod(self.dir, 0o777)
        target = os.path.join(self.dir, "kept.pat")
        with open(target, "wb") as f:
            f.write(b"kept")
        os.chmod(target, 0o444)
        if user is not None:
            os.chown(target, user, user)
        proc = run("normalize", self.source, "-o", target, user=user)
        self.assertEqual(proc.returncode, 3, proc.stderr)
        self.assertIn("(Permission denied)", proc.stderr.decode("utf-8"))
        with open(target, "rb") as f:
            self.assertEqual(f.read(), b"kept")


class Interruptions(Fixture):
    def test_killed_saves_leave_the_old_or_the_new_file(self):
        big = os.path.join(self.dir, "big.pat")
        with open(big, "wb") as f:
            f.write(many_stages(8))
        target = os.path.join(self.dir, "target.pat")
        old = b"the previous document\r\n"
        new = run("normalize", big).stdout
        # How long one whole save takes here, so the kills land inside it.
        started = time.monotonic()
        run("normalize", big, "-o", target)
        whole = time.monotonic() - started
        rng = random.Random(12)
        outcomes = set()
        killed = set()
        deadline = time.monotonic() + 80
        kills = 0
        while kills < 60 and time.monotonic() < deadline:
            with open(target, "wb") as f:
                f.write(old)
            limit = None
            if kills % 10 == 9:
                limit = rng.randrange(1000, len(new))  # the file size limit ends it
            def child_setup():
                if limit is not None:
                    resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
            child = subprocess.Popen([QVL, "normalize", big, "-o", target],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     preexec_fn=child_setup)
            time.sleep(rng.uniform(0, whole * 1.5))
            child.send_signal(rng.choice([signal.SIGKILL, signal.SIGTERM]))
            child.wait()
            killed.add(child.pid)
            kills += 1
            with open(target, "rb") as f:
                contents = f.read()
            self.assertIn(contents, (old, new), "kill %d left a broken file" % kills)
            outcomes.add(contents == new)
            # Nothing is left, except where the system offers no unnamed
            # file, or a kill falls between naming and renaming: a file of a
            # killed process, which the next save removes.
            left = temporary_files(self.dir)
            self.assertTrue(all(int(n.split(".")[-3]) in killed for n in left), left)
        self.assertGreaterEqual(kills, 50)
        run("normalize", self.source, "-o", target)
        self.assertEqual(temporary_files(self.dir), [])
        self.assertIn(False, outcomes, "every kill came after the save")

    def test_export_to_a_file_is_whole_or_untouched(self):
        target = os.path.join(self.dir, "out.csv")
        with open(target, "wb") as f:
            f.write(b"previous")

        def small_files():
            resource.setrlimit(resource.RLIMIT_FSIZE, (100, 100))
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        for fmt in ["csv", "json"]:
            proc = run("export", self.source, "--format", fmt, "-o", target,
                       preexec_fn=small_files)
            self.assertEqual(proc.returncode, 3, fmt)
            self.assertIn("「%s」を保存できませんでした。" % target, proc.stderr.decode("utf-8"))
            with open(target, "rb") as f:
                self.assertEqual(f.read(), b"previous", fmt)
        self.assertEqual(temporary_files(self.dir), [])


class Failures(Fixture):
    def test_output_that_cannot_be_written_fails(self):
        commands = [["tree", self.source], ["explain", self.source, "/1"],
                    ["compare", self.source, "/1"], ["totals", self.source, "/1"],
                    ["status", self.source, "/1"], ["calc", "1+1"],
                    ["normalize", self.source], ["export", self.source],
                    ["export", self.source, "--format", "csv"]]
        with open("/dev/full", "wb") as full:
            for command in commands:
                proc = run(*command, stdout=full)
                self.assertEqual(proc.returncode, 3, command)
                self.assertIn(b"cannot write to standard output", proc.stderr, command)

    def test_empty_output_name_is_a_usage_error(self):
        for command in [["normalize", self.source], ["export", self.source]]:
            proc = run(*command, "-o", "")
            self.assertEqual(proc.returncode, 2, command)
            self.assertEqual(proc.stdout, b"", command)

    def test_out_of_memory_is_a_failed_load(self):
        with open(QVL, "rb") as f:
            if b"__asan_init" in f.read():
                self.skipTest("the address sanitizer needs more address space than the limit")
        huge = os.path.join(self.dir, "huge.pat")
        with open(huge, "wb") as f:
            f.write(b"(root " + b"(group)" * 1000000 + b")")

        def little_memory():
            limit = 96 * 1024 * 1024
            resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
        proc = run("tree", huge, preexec_fn=little_memory)
        self.assertEqual(proc.returncode, 3, proc.stderr)
        self.assertIn("メモリが足りません。", proc.stderr.decode("utf-8"))

    def test_cut_off_template_fails_with_the_position(self):
        cut = os.path.join(self.dir, "cut.pat")
        text = template("qvl_extra.pat")
        with open(cut, "wb") as f:
            f.write(text[:-6])  # every scene whole, the last closings missing
        proc = run("tree", cut)
        self.assertEqual(proc.returncode, 3)
        lines = proc.stderr.decode("utf-8").splitlines()
        self.assertEqual(lines[1], "他のソフト等で使用している場合は終了させて下さい。")
        last_line = text.count(b"\r\n")
        self.assertTrue(lines[2].startswith("%d行" % last_line), lines[2])
        self.assertIn("からの要素を閉じる「)」が必要です。", lines[2])

    def test_load_and_save_failures_name_the_file_as_spelt(self):
        # Characters code page 932 cannot hold stay in the messages.
        target = os.path.join(self.dir, "no", "such-é한", "dir.pat")
        proc = run("normalize", self.source, "-o", target)
        self.assertEqual(proc.returncode, 3)
        self.assertIn("「%s」を保存できませんでした。" % target, proc.stderr.decode("utf-8"))
        proc = run("tree", target)
        self.assertEqual(proc.returncode, 3)
        self.assertIn("「%s」の読み込みに失敗しました。" % target, proc.stderr.decode("utf-8"))


if __name__ == "__main__":
    QVL, TEMPLATES = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0], "-v"])
