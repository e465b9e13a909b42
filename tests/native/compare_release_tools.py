#!/usr/bin/python3
"""The Windows release tool (under Wine) and the Linux one, run on copies of
the same releases with the same keys and serials: every file they write is
the same byte for byte, and they answer the same with the same texts and
exit codes, paths and line ends aside. The releases hold what a real one
does: Korean install names, programs with and without a version resource,
block indexes with seeds from a previous release, channels, and signatures
by a root, by a certified release key and with a root statement.

Usage: compare_release_tools.py WINDOWS_BIN NATIVE_TOOL KEY_FOLDER
"""
import filecmp
import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest

WINDOWS_BIN, NATIVE_TOOL, KEYS = sys.argv[1:4]
SOURCE_DIR = os.environ["ARKENFEL_SOURCE_DIR"]
BENCH_DIR = os.environ["ARKENFEL_BENCH_DIR"]
WINDOWS_TOOL = os.path.join(WINDOWS_BIN, "arkenfel_release_list.exe")
TIMEOUT = 120


def win_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def pattern(size, seed):
    return random.Random(seed).randbytes(size)


class Run:
    def __init__(self, code, out, err):
        self.code, self.out, self.err = code, out, err


class Side:
    """One tool with its own copy of everything: `place` turns a path below
    the copy into the tool's own form of it."""

    def __init__(self, top, windows):
        self.top, self.windows = top, windows

    def place(self, rel):
        path = os.path.join(self.top, rel)
        return win_path(path) if self.windows else path

    def run(self, args):
        args = [a(self) if callable(a) else a for a in args]
        if self.windows:
            command = [os.path.join(SOURCE_DIR, "tests", "wine", "run.sh"), BENCH_DIR, WINDOWS_TOOL] + args
        else:
            command = [NATIVE_TOOL] + args
        done = subprocess.run(command, capture_output=True, timeout=TIMEOUT, stdin=subprocess.DEVNULL)
        return Run(done.returncode, self.normalized(done.stdout), self.normalized(done.stderr))

    def normalized(self, data):
        text = data.decode("utf-8").replace("\r\n", "\n")
        root = win_path(self.top) if self.windows else self.top
        text = text.replace(root, "<top>")
        return text.replace("\\", "/").replace("arkenfel_release_list.exe", "arkenfel_release_list")


def at(rel):
    """An argument that names a path of each side's own copy."""
    return lambda side: side.place(rel)


class ReleaseTools(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="tools_", dir=os.path.join(BENCH_DIR))
        self.source = os.path.join(self.scratch, "source")
        os.makedirs(self.source)
        self.sides = []

    def tearDown(self):
        shutil.rmtree(self.scratch, ignore_errors=True)

    def put(self, rel, data):
        path = os.path.join(self.source, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode("cp949"))

    def copy_in(self, rel, source):
        with open(source, "rb") as f:
            self.put(rel, f.read())

    def split(self):
        """Both tools' copies of the source as it stands now."""
        self.sides = []
        for name, windows in (("windows", True), ("linux", False)):
            top = os.path.join(self.scratch, name)
            shutil.rmtree(top, ignore_errors=True)
            shutil.copytree(self.source, top)
            self.sides.append(Side(top, windows))

    def both(self, args, code=0):
        windows, linux = (side.run(args) for side in self.sides)
        self.assertEqual(windows.code, code, windows.out + windows.err)
        self.assertEqual((windows.code, windows.out, windows.err), (linux.code, linux.out, linux.err))
        return linux

    def assertSameTrees(self):
        first, second = (side.top for side in self.sides)
        names = lambda top: sorted(os.path.relpath(os.path.join(d, f), top) for d, _, fs in os.walk(top) for f in fs)
        self.assertEqual(names(first), names(second))
        for rel in names(first):
            self.assertTrue(filecmp.cmp(os.path.join(first, rel), os.path.join(second, rel), shallow=False), rel)
        return names(first)

    def test_a_root_signed_release_with_korean_names_versions_indexes_and_channels(self):
        self.put("vantero/2026a/readme.txt", "안내문\r\n")
        self.put("vantero/2026a/data/map.pak", pattern(300000, 1))
        self.put("vantero/2026a/data/small.bin", pattern(5000, 2))
        self.copy_in("vantero/2026a/bin/module.dll", os.path.join(WINDOWS_BIN, "discovery_version_1005.dll"))
        self.copy_in("vantero/2026a/bin/game.exe", os.path.join(WINDOWS_BIN, "discovery_version_2103.exe"))
        self.copy_in("vantero/2026a/bin/plain.dll", os.path.join(WINDOWS_BIN, "fixture_plain.dll"))
        self.put("vantero/2026a/sys/helper.dat", "helper")
        self.copy_in("root.pem", os.path.join(KEYS, "test_root_1.pem"))
        self.split()
        release = ["--release", at("vantero/2026a"), "--gateway", at("vantero"),
                   "--section", "DATA=data/", "--system", "sys/*", "--local", "readme.txt=문서/읽기.txt",
                   "--local", "bin/game.exe=게임/실행 파일.exe", "--revision", "*.dll=r7", "--include-list",
                   "--sign", at("root.pem"), "--channel", "", "--channel", "beta", "--channel", "gamma",
                   "--index-threshold", "65536", "--block-size", "4096"]
        publish = release + ["--key", "", "--key", "beta", "--serial", "7000"]
        run = self.both(publish)
        self.assertIn("[DATA] 2 files", run.out)
        written = self.assertSameTrees()
        for name in ("Arkenfel_List.ini", "Arkenfel_Release.sig", "data/map.pak.blkidx"):
            self.assertIn(os.path.join("vantero", "2026a", name), written)
        with open(os.path.join(self.sides[1].top, "vantero", "2026a", "Arkenfel_List.ini"), "rb") as f:
            listing = f.read().decode("cp949")
        self.assertIn("readme.txt|문서\\읽기.txt=", listing)
        self.assertIn("bin/module.dll=1.005|", listing)
        self.assertIn("bin/game.exe|게임\\실행 파일.exe=2.103|", listing)
        self.assertIn("bin/plain.dll=|", listing)

        # Published again for one more key and with no serial: the published
        # serial is kept, and the gateway file gains a line.
        self.both(release + ["--key", "gamma"])
        with open(os.path.join(self.sides[1].top, "vantero", "gateway.ini"), "rb") as f:
            self.assertEqual(b"2026a\r\nbeta=2026a\r\ngamma=2026a\r\n", f.read())
        self.assertSameTrees()
        run = self.both(["--show-serial", at("vantero/2026a")])
        self.assertIn("serial 7000", run.out)

    def test_a_certified_release_key_with_a_root_statement_and_seeds_from_the_previous_release(self):
        for n in (1, 2):
            self.copy_in("root%d.pem" % n, os.path.join(KEYS, "test_root_%d.pem" % n))
            self.copy_in("root%d.pub.pem" % n, os.path.join(KEYS, "test_root_%d.pub.pem" % n))
        self.copy_in("release.pem", os.path.join(KEYS, "test_release_key.pem"))
        self.copy_in("release.pub.pem", os.path.join(KEYS, "test_release_key.pub.pem"))
        first, second = pattern(200000, 3), pattern(150000, 4)
        self.put("vantero/2026a/data/one.pak", first)
        self.put("vantero/2026a/data/two.pak", second)
        # The next release joins both into one file and adds a new part.
        self.put("vantero/2026b/data/all.pak", second + pattern(9000, 5) + first)
        self.split()
        self.both(["--certify", at("release.cert"), "--release-key", at("release.pub.pem"), "--key-serial", "3",
                   "--root", at("root1.pem")])
        self.both(["--rotate-roots", at("roots.statement"), "--root-version", "2", "--threshold", "1",
                   "--new-root", at("root2.pub.pem"), "--root", at("root1.pem")])
        # A second signature added to each file, as a second root holder would.
        self.both(["--certify", at("release.cert"), "--release-key", at("release.pub.pem"), "--key-serial", "3",
                   "--root", at("root2.pem")])
        self.both(["--rotate-roots", at("roots.statement"), "--root-version", "2", "--threshold", "1",
                   "--new-root", at("root2.pub.pem"), "--root", at("root2.pem")])
        self.assertSameTrees()
        common = ["--sign", at("release.pem"), "--certificate", at("release.cert"), "--root-statement",
                  at("roots.statement"), "--index-threshold", "65536", "--block-size", "4096"]
        self.both(["--release", at("vantero/2026a"), "--serial", "100"] + common)
        run = self.both(["--release", at("vantero/2026b"), "--gateway", at("vantero"), "--serial", "101",
                         "--previous", at("vantero/2026a")] + common)
        self.assertIn("1 of those indexes name files of the previous release", run.out)
        self.assertIn("release key serial 3, 1 root statement(s)", run.out)
        self.assertSameTrees()
        # Published again without indexes: the outdated one goes on both.
        self.both(["--release", at("vantero/2026b"), "--serial", "102", "--index-threshold", "0",
                   "--sign", at("release.pem"), "--certificate", at("release.cert")])
        self.assertNotIn(os.path.join("vantero", "2026b", "data", "all.pak.blkidx"), self.assertSameTrees())

    def test_refusals_read_the_same_and_write_nothing(self):
        self.put("vantero/2026a/empty.dat", b"")
        self.put("vantero/2026a/ok.txt", "x")
        self.put("vantero/2026b/한글/a.txt", "x")
        self.put("vantero/2026b/a b.txt", "x")
        self.put("vantero/2026c/data/blob.bin", pattern(6000, 6))
        self.put("vantero/2026c/data/blob.bin_", "x")
        self.put("vantero/2026d/data/blob.bin", pattern(6000, 6))
        self.put("vantero/2026d/readme.txt", "x")
        self.put("vantero/gateway.ini", "2025b\nbeta=2025b\n")
        self.split()
        refused = {
            "matches no file": ["--release", at("vantero/2026d"), "--section", "TOOLS=tools/", "--revision", "*.exe=r1"],
            "would both install to": ["--release", at("vantero/2026d"), "--local", "readme.txt=data/blob.bin"],
            "would install to the name the updater stages": ["--release", at("vantero/2026c")],
            "must stay below the install folder": ["--release", at("vantero/2026d"), "--local", "readme.txt=../up.txt"],
            "does not exist or is not a folder": ["--release", at("vantero/none")],
            "holds no Arkenfel_List.ini": ["--release", at("vantero/2026d"), "--previous", at("vantero/2026b")],
            "names the release folder itself": ["--release", at("vantero/2026d"), "--previous", at("vantero/2026d")],
            "is not among the release's channels": ["--release", at("vantero/2026d"), "--gateway", at("vantero"),
                                                    "--key", "beta", "--sign", at("none.pem"), "--channel", ""],
            "is not below the server root": ["--release", at("vantero/2026d"), "--gateway", at("vantero/2026b")],
        }
        for reason, args in refused.items():
            run = self.both(args, code=1)
            self.assertIn(reason, run.err)
        run = self.both(["--release", at("vantero/2026a")], code=1)
        self.assertIn('"empty.dat" is empty', run.err)
        run = self.both(["--release", at("vantero/2026b")], code=1)
        self.assertIn('"한글" is not plain ASCII', run.err)
        self.assertIn('"a b.txt"', run.err)
        run = self.both(["--release", at("vantero/2026a"), "--local", "ok.txt=\U0001F600.txt"], code=2)
        self.assertIn("code page 949 cannot hold", run.err)
        run = self.both(["--release"], code=2)
        self.assertIn("usage: arkenfel_release_list --release", run.err)
        run = self.both(["--make-key", at("ok.pem")], code=2)
        names = self.assertSameTrees()
        self.assertEqual(["vantero/gateway.ini"], [n for n in names if n.endswith(".ini")])
        with open(os.path.join(self.sides[1].top, "vantero", "gateway.ini"), "rb") as f:
            self.assertEqual(b"2025b\nbeta=2025b\n", f.read())


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
