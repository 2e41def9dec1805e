#!/usr/bin/env python3
"""Runs the built qvl against hostile targets and interruptions: every file it
writes is replaced whole or not at all, and every failure is reported."""
import errno
import fcntl
import os
import random
import re
import resource
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

QVL = None
TEMPLATES = None


def run(*args, stdout=subprocess.PIPE, preexec_fn=None, user=None, groups=(), timeout=60):
    command = [QVL, *args]
    if user is not None:
        member = "--groups=" + ",".join(map(str, groups)) if groups else "--clear-groups"
        command = ["setpriv", "--reuid=%d" % user, "--regid=%d" % user, member, *command]
    return subprocess.run(command, stdout=stdout, stderr=subprocess.PIPE, timeout=timeout,
                          preexec_fn=preexec_fn)


def small_files():
    """A file-size limit of 100 bytes, and nothing else: qvl must cope with it itself."""
    resource.setrlimit(resource.RLIMIT_FSIZE, (100, 100))


NOBODY = 65534
MARKED = re.compile(r"\.qvl-save-[0-9a-f]{16}\.tmp")


def marked(n):
    """A name the writer gives its temporary files."""
    return ".qvl-save-%016x.tmp" % n


def needs_root(test):
    return unittest.skipUnless(os.geteuid() == 0 and shutil.which("setpriv"),
                               "needs root and setpriv")(test)


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
            kills += 1
            with open(target, "rb") as f:
                contents = f.read()
            self.assertIn(contents, (old, new), "kill %d left a broken file" % kills)
            outcomes.add(contents == new)
            # Nothing is left, except where the system offers no unnamed
            # file, or a kill falls between naming and renaming: a file of a
            # killed process, which the next save removes.
            left = temporary_files(self.dir)
            self.assertTrue(all(MARKED.fullmatch(n) for n in left), left)
        self.assertGreaterEqual(kills, 50)
        run("normalize", self.source, "-o", target)
        self.assertEqual(temporary_files(self.dir), [])
        self.assertIn(False, outcomes, "every kill came after the save")

    def test_a_file_size_limit_fails_like_a_full_disk(self):
        target = os.path.join(self.dir, "out.pat")
        with open(target, "wb") as f:
            f.write(b"previous")
        for command in [["normalize", self.source], ["export", self.source, "--format", "csv"],
                        ["export", self.source, "--format", "json"]]:
            proc = run(*command, "-o", target, preexec_fn=small_files)
            self.assertEqual(proc.returncode, 3, command)
            message = proc.stderr.decode("utf-8")
            self.assertIn("「%s」を保存できませんでした。" % target, message)
            self.assertIn("(File too large)", message)
            with open(target, "rb") as f:
                self.assertEqual(f.read(), b"previous", command)
            with open(target, "wb") as redirected:
                proc = run(*command, stdout=redirected, preexec_fn=small_files)
            self.assertEqual(proc.returncode, 3, command)
            self.assertIn("標準出力に書き出せません: File too large".encode(), proc.stderr)
            with open(target, "wb") as f:
                f.write(b"previous")
        self.assertEqual(temporary_files(self.dir), [])


class CleanUp(Fixture):
    def test_only_abandoned_temporary_files_of_this_program_go(self):
        ended = subprocess.Popen(["true"])
        ended.wait()
        users = [".notes.%d.1.tmp" % ended.pid, ".bash_history.%d.7.tmp" % ended.pid,
                 ".x.99999999999.0.tmp", ".recovered.4194399.0.tmp",
                 ".qvl-save-0123456789ABCDEF.tmp", ".qvl-save-0123.tmp"]
        for name in users + [marked(3), marked(4), marked(5), marked(6), marked(7)]:
            with open(os.path.join(self.dir, name), "wb") as f:
                f.write(template())
        os.symlink(self.source, os.path.join(self.dir, marked(1)))
        os.mkdir(os.path.join(self.dir, marked(2)))
        os.link(os.path.join(self.dir, marked(3)), os.path.join(self.dir, "second-name"))
        if os.geteuid() == 0:
            # Another user's: what a save by root of that user's file leaves when
            # it is killed before the rename. Root's saves take it as their own.
            os.chown(os.path.join(self.dir, marked(5)), NOBODY, NOBODY)
        with open(os.path.join(self.dir, marked(4)), "rb") as live:  # a save running now
            fcntl.flock(live, fcntl.LOCK_EX)
            # The input is an abandoned temporary file, read to recover it.
            proc = run("normalize", os.path.join(self.dir, marked(6)), "-o",
                       os.path.join(self.dir, "out.pat"))
        self.assertEqual(proc.returncode, 0, proc.stderr)
        kept = users + ["source.pat", "out.pat", "second-name"] + [marked(n) for n in (1, 2, 3, 4, 6)]
        if os.geteuid() != 0:
            kept.append(marked(5))
        self.assertEqual(sorted(os.listdir(self.dir)), sorted(kept))
        # A save that fails never takes the target, whatever its name.
        for name in [marked(6), users[0]]:
            target = os.path.join(self.dir, name)
            proc = run("normalize", self.source, "-o", target, preexec_fn=small_files)
            self.assertEqual(proc.returncode, 3, name)
            with open(target, "rb") as f:
                self.assertEqual(f.read(), template(), name)


class Links(Fixture):
    @needs_root
    def test_another_users_link_in_a_shared_folder_is_not_followed(self):
        secret = os.path.join(self.dir, "secret")
        cases = [  # link owner, folder owner, folder mode, followed
            (NOBODY, 0, 0o1777, False), (0, 0, 0o1777, True), (NOBODY, NOBODY, 0o1777, True),
            (NOBODY, 0, 0o0777, True), (NOBODY, 0, 0o1775, True)]
        for link_owner, folder_owner, mode, followed in cases:
            with self.subTest(link_owner=link_owner, folder_owner=folder_owner, mode=oct(mode)):
                shared = tempfile.mkdtemp(dir=self.dir)
                os.chown(shared, folder_owner, folder_owner)
                os.chmod(shared, mode)
                with open(secret, "wb") as f:
                    f.write(b"root only")
                os.chmod(secret, 0o600)
                link = os.path.join(shared, "plan.pat")
                os.symlink(secret, link)
                os.lchown(link, link_owner, link_owner)
                proc = run("normalize", self.source, "-o", link)
                self.assertTrue(os.path.islink(link))
                self.assertEqual(os.listdir(shared), ["plan.pat"])
                with open(secret, "rb") as f:
                    contents = f.read()
                if followed:
                    self.assertEqual(proc.returncode, 0, proc.stderr)
                    self.assertNotEqual(contents, b"root only")
                else:
                    self.assertEqual(proc.returncode, 3)
                    self.assertIn("「%s」は誰でも書き込めるフォルダーにある他のユーザーの"
                                  "シンボリックリンクです。" % link, proc.stderr.decode("utf-8"))
                    self.assertEqual(contents, b"root only")


class Keeps(Fixture):
    @needs_root
    def test_owner_group_and_set_id_bits_where_the_saver_may_keep_them(self):
        os.chmod(self.dir, 0o777)
        target = os.path.join(self.dir, "plan.pat")
        saver = 4321
        cases = [  # saver, its groups, old owner, group and mode, new owner, group and mode
            (None, (), NOBODY, NOBODY, 0o600, NOBODY, NOBODY, 0o600),
            (None, (), NOBODY, NOBODY, 0o6755, NOBODY, NOBODY, 0o6755),
            (saver, (100,), 0, 100, 0o664, saver, 100, 0o664),
            (saver, (100,), NOBODY, 100, 0o2777, saver, 100, 0o777),
            (saver, (), NOBODY, NOBODY, 0o6777, saver, saver, 0o777)]
        for user, groups, uid, gid, mode, new_uid, new_gid, new_mode in cases:
            with self.subTest(user=user, owner=uid, group=gid, mode=oct(mode)):
                with open(target, "wb") as f:
                    f.write(b"old")
                os.chown(target, uid, gid)
                os.chmod(target, mode)
                proc = run("normalize", self.source, "-o", target, user=user, groups=groups)
                self.assertEqual(proc.returncode, 0, proc.stderr)
                st = os.lstat(target)
                self.assertEqual((st.st_uid, st.st_gid, oct(st.st_mode & 0o7777)),
                                 (new_uid, new_gid, oct(new_mode)))

    def test_acls_and_extended_attributes(self):
        target = os.path.join(self.dir, "plan.pat")
        with open(target, "wb") as f:
            f.write(b"old")
        os.chmod(target, 0o640)
        # version 2; owner rw, nobody rw, owning group r, mask rw, others nothing
        entries = [(0x01, 6, 0xFFFFFFFF), (0x02, 6, NOBODY), (0x04, 4, 0xFFFFFFFF),
                   (0x10, 6, 0xFFFFFFFF), (0x20, 0, 0xFFFFFFFF)]
        acl = struct.pack("<I", 2) + b"".join(struct.pack("<HHI", *e) for e in entries)
        try:
            os.setxattr(target, "user.plan", b"stage 3")
            os.setxattr(target, "system.posix_acl_access", acl)
        except OSError as e:
            if e.errno in (errno.ENOTSUP, errno.EOPNOTSUPP):
                self.skipTest("no extended attributes or ACLs here")
            raise
        before = os.lstat(target).st_mode & 0o777
        self.assertEqual(before, 0o660)  # the mask shows as the group's bits
        proc = run("normalize", self.source, "-o", target)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.assertEqual(os.getxattr(target, "user.plan"), b"stage 3")
        self.assertEqual(os.getxattr(target, "system.posix_acl_access"), acl)
        self.assertEqual(os.lstat(target).st_mode & 0o777, before)


def access_acl(path):
    try:
        return os.getxattr(path, "system.posix_acl_access")
    except OSError as e:
        if e.errno == errno.ENODATA:
            return None
        raise


class Acls(Fixture):
    def test_new_files_as_the_system_makes_them_and_old_ones_as_they_were(self):
        if shutil.which("setfacl") is None:
            self.skipTest("needs setfacl (package acl)")
        default = "u:%d:rw,m::rw,o::-" % NOBODY
        cases = [  # the folder's default ACL, umask, the old file's mode (None: a new file)
            (None, 0o022, None), (None, 0o077, None), (default, 0o022, None),
            (default, 0o077, None), ("u:%d:r,g::rwx,o::r" % NOBODY, 0o022, None),
            (default, 0o022, 0o640), (default, 0o022, 0o604)]
        for acl, umask, old_mode in cases:
            with self.subTest(acl=acl, umask=oct(umask), old=old_mode and oct(old_mode)):
                folder = tempfile.mkdtemp(dir=self.dir)
                if acl is not None:
                    proc = subprocess.run(["setfacl", "-d", "-m", acl, folder],
                                          stderr=subprocess.PIPE)
                    if proc.returncode != 0:
                        self.skipTest("no ACLs here: %s" % proc.stderr.decode())
                target = os.path.join(folder, "plan.pat")
                if old_mode is None:
                    # What the system gives a file created with mode 0666 there.
                    reference = os.path.join(folder, "touched")
                    old_umask = os.umask(umask)
                    os.close(os.open(reference, os.O_CREAT | os.O_WRONLY, 0o666))
                    os.umask(old_umask)
                    wanted = (os.stat(reference).st_mode & 0o7777, access_acl(reference))
                else:
                    with open(target, "wb") as f:
                        f.write(b"old")
                    os.removexattr(target, "system.posix_acl_access")  # a file without one
                    os.chmod(target, old_mode)
                    wanted = (old_mode, None)
                proc = run("normalize", self.source, "-o", target,
                           preexec_fn=lambda: os.umask(umask))
                self.assertEqual(proc.returncode, 0, proc.stderr)
                got = (os.stat(target).st_mode & 0o7777, access_acl(target))
                self.assertEqual((oct(got[0]), got[1]), (oct(wanted[0]), wanted[1]))


class RoundTrip(Fixture):
    def test_a_saved_file_saves_again_to_the_same_bytes(self):
        # Line breaks inside titles come back as CR LF: the lists are sorted
        # by the titles as saved, so the next save writes the same order.
        cases = [  # where the patterns are, their titles in the file
            (b'(scene %s)', b"pattern", [b"\nb", b"\r\na"]),
            (b'%s', b"grouped-pattern", [b"x\ny", b"x\r\nx", b"x\r\nz"])]
        for where, element, titles in cases:
            with self.subTest(element=element, titles=titles):
                patterns = b"".join(b'(%s (@ (title "%s")))' % (element, t) for t in titles)
                plan = os.path.join(self.dir, "plan.pat")
                with open(plan, "wb") as f:
                    f.write(b'(root (group (@ (kind "stage")) %s))' % (where % patterns))
                saved = []
                for _ in range(2):
                    proc = run("normalize", plan, "-o", plan)
                    self.assertEqual(proc.returncode, 0, proc.stderr)
                    with open(plan, "rb") as f:
                        saved.append(f.read())
                self.assertEqual(saved[0], saved[1])


class Inputs(Fixture):
    def test_a_pipe_swapped_in_for_the_input_never_stalls(self):
        # The name alternates between the plan and a pipe while qvl reads it:
        # whatever it opens, it answers at once.
        name = os.path.join(self.dir, "input.pat")
        fifo = os.path.join(self.dir, "fifo")
        os.mkfifo(fifo)
        stop = threading.Event()

        def swap():
            while not stop.is_set():
                for what in (self.source, fifo):
                    os.link(what, name + ".new")
                    os.rename(name + ".new", name)
        os.link(fifo, name)
        swapper = threading.Thread(target=swap)
        swapper.start()
        try:
            # Before, 1 to 20 runs in 100 hung here; the loader's own test
            # opens a pipe every time.
            for _ in range(40):
                proc = run("tree", name, timeout=5)
                if proc.returncode != 0:
                    self.assertEqual(proc.returncode, 3)
                    self.assertIn("通常のファイルではありません。", proc.stderr.decode("utf-8"))
        finally:
            stop.set()
            swapper.join()


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
                self.assertIn("標準出力に書き出せません".encode(), proc.stderr, command)

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
