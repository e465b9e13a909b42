"""The mirror tier seen from outside: players' updaters (built with the test
release key) reach one of two nginx mirrors (server/run-mirror-local.sh, on
this build's port) in front of one reference origin. A fresh install, a
resumed download and a block delta each go through a cold and then a warm
cache: a warm mirror asks the origin for nothing, and two players installing
a release through one mirror cost the origin little more than the release. A
mirror whose cached bytes were changed gets nothing installed."""
import os
import random
import re
import struct

import harness
from scenario import DONE, Scenario

KEYS = os.path.join(harness.BINARY_DIR, "fixtures", "integrity")
SIGNED_BUILD = "Arkenfel_Update_signed.exe"
FILE_MISMATCH = "[data\\map.pak] 파일이 업데이트 서명과 일치하지 않습니다."
DELTA_TOOL_ARGS = ["--index-threshold", "65536", "--block-size", "4096"]
REQUEST = re.compile(r'"GET /fs_c_get\.php\?fn=vantero/(\S+) HTTP/[\d.]+" (\d+) (\d+) range="([^"]*)"')


def requests_of(lines):
    """(name, status, body bytes, range) of every request in access log lines."""
    found = []
    for line in lines:
        match = REQUEST.search(line)
        if match:
            found.append((match.group(1), int(match.group(2)), int(match.group(3)), match.group(4)))
    return found


def body_bytes(lines):
    return sum(sent for _, _, sent, _ in requests_of(lines))


class Visit:
    """One updater run through a mirror: what the player saw, what the mirror
    was asked and what it asked the origin."""

    def __init__(self, run, mirror_log, origin_log):
        self.run, self.mirror_log, self.origin_log = run, mirror_log, origin_log


class MirrorTier(Scenario):
    def setUp(self):
        super().setUp()
        self.origin = harness.NginxServer(self.release.top, self.prefix.tls, os.path.join(self.prefix.dir, "origin"),
                                          port=harness.free_port())
        self.addCleanup(self.origin.stop)
        self.prefix.install_updater(exe_name=SIGNED_BUILD)
        self.rng = random.Random(self.id())

    def random_bytes(self, n):
        return self.rng.randbytes(n)

    def publish_signed(self, version, files, tool_args=(), serial=7000):
        key = harness.win_path(os.path.join(KEYS, "test_release_key.pem"))
        self.publish(version, files, list(tool_args) + ["--sign", key, "--serial", str(serial)])

    def release_size(self, version):
        """Bytes of everything a fresh install of the version fetches: the gateway, the list,
        the signature and every file (block indexes are asked for by deltas only)."""
        total = os.path.getsize(os.path.join(self.release.top, "gateway.ini"))
        for folder, _, names in os.walk(self.release.folder(version)):
            total += sum(os.path.getsize(os.path.join(folder, n)) for n in names if not n.endswith(".blkidx"))
        return total

    def client(self, name):
        """Another player's machine with the updater in place."""
        prefix = harness.Prefix(self.id().split(".", 1)[-1].replace(".", "_") + "_" + name)
        self.addCleanup(prefix.close, keep=os.environ.get("ARKENFEL_E2E_KEEP") == "1")
        prefix.install_updater(exe_name=SIGNED_BUILD)
        return prefix

    def mirror_state(self, mirror):
        return os.path.join(self.prefix.dir, "mirror-" + mirror)

    def visit(self, mirror, client, **kw):
        """Runs the client's updater while mirror "a" or "b" answers on the updater's address."""
        seen = len(self.origin.access_log())
        server = harness.MirrorServer(self.origin, self.prefix.tls, self.mirror_state(mirror))
        try:
            run = client.run_updater(name="run_" + mirror, **kw)
            mirror_log = server.access_log()
        finally:
            server.stop()
        return Visit(run, mirror_log, self.origin.access_log()[seen:])

    def assertInstalled(self, visit, version, files, client):
        self.assertNoUnansweredBoxes(visit.run)
        self.assertEqual([], visit.run.boxes())
        self.assertIn(DONE, visit.run.texts(1017))
        for rel in files:
            self.assertSameFile(version, rel, os.path.join(client.home, rel))

    def plant(self, client, files):
        for rel, data in files.items():
            path = os.path.join(client.home, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data if isinstance(data, bytes) else data.encode("cp949"))

    def tamper(self, mirror, key):
        """Changes one byte of the body of the mirror's cache entry with that key."""
        for folder, _, names in os.walk(os.path.join(self.mirror_state(mirror), "cache")):
            for name in names:
                with open(os.path.join(folder, name), "r+b") as f:
                    data = f.read()
                    if ("\nKEY: %s\n" % key).encode() in data:
                        body_start, = struct.unpack_from("<H", data, 56)  # nginx's cache file header
                        f.seek(body_start + 1000)
                        f.write(bytes([data[body_start + 1000] ^ 0xFF]))
                        return
        self.fail("the mirror holds no entry " + key)


class MirrorInstalls(MirrorTier):
    def test_fresh_installs_through_both_mirrors_cost_the_origin_a_release_each_and_a_tampered_cache_installs_nothing(self):
        files = {"data/world.pak": self.random_bytes(2500000), "data/map.pak": self.random_bytes(300000),
                 "readme.txt": "미러를 거친 설치\r\n"}
        files.update(("data/small%d.dat" % i, self.random_bytes(4096)) for i in range(4))
        self.publish_signed("2026a", files)
        size = self.release_size("2026a")

        cold = self.visit("a", self.prefix)
        self.assertInstalled(cold, "2026a", files, self.prefix)
        second = self.client("second")
        warm = self.visit("a", second)
        self.assertInstalled(warm, "2026a", files, second)
        self.assertEqual([], warm.origin_log, "a warm mirror asks the origin for nothing")
        self.assertLessEqual(body_bytes(cold.origin_log), 1.2 * size, "two players, one release from the origin")

        # The other mirror has a cache of its own.
        third = self.client("third")
        other = self.visit("b", third)
        self.assertInstalled(other, "2026a", files, third)
        self.assertTrue(other.origin_log)
        self.assertLessEqual(body_bytes(other.origin_log), 1.2 * size)

        self.tamper("b", "2026a/data/map.pak bytes=0-1048575")
        fourth = self.client("fourth")
        refused = self.visit("b", fourth, answers=[FILE_MISMATCH + "=1"])
        self.assertNoUnansweredBoxes(refused.run)
        self.assertEqual([FILE_MISMATCH + "\n받은 파일을 지웠습니다. 다음 실행 때 다시 받습니다."], refused.run.boxes())
        for rel in files:
            self.assertFalse(os.path.exists(os.path.join(fourth.home, rel)), rel)
        self.assertFalse(os.path.exists(os.path.join(fourth.home, "data", "map.pak_")))


class MirrorResumes(MirrorTier):
    def test_a_resumed_download_continues_through_a_cold_and_a_warm_mirror_without_asking_twice(self):
        archive = self.random_bytes(3000000)
        files = {"data/world.pak": archive, "readme.txt": "v1\r\n"}
        self.publish_signed("2026a", files)
        cut = 1300000
        # The partial file and its marker, as an updater broken off after 1.3 MB leaves them.
        partial = {"data/world.pak_": archive[:cut], "data/world.$ver$": self.list_fingerprint("2026a", "data/world.pak")}
        for name, client in (("cold", self.prefix), ("warm", self.client("warm"))):
            self.plant(client, partial)
            visit = self.visit("a", client)
            self.assertInstalled(visit, "2026a", files, client)
            for fn, status, sent, asked in requests_of(visit.mirror_log):
                if fn == "2026a/data/world.pak" and status == 206:
                    first = int(re.match(r"bytes=(\d+)-", asked).group(1))
                    self.assertTrue(first >= cut or sent <= 1024, "%s: %s asked again (%s)" % (name, asked, sent))
            if name == "warm":
                self.assertEqual([], visit.origin_log, "a warm mirror asks the origin for nothing")


class MirrorDeltas(MirrorTier):
    def test_a_block_delta_through_a_cold_and_a_warm_mirror_costs_the_origin_the_changed_slices(self):
        old = self.random_bytes(5000000)
        self.publish_signed("2026a", {"data/world.pak": old, "readme.txt": "v1\r\n"}, DELTA_TOOL_ARGS)
        new = bytearray(old)
        new[1200000:1230000] = self.random_bytes(30000)
        new[4500000:4500000] = self.random_bytes(700)
        files = {"data/world.pak": bytes(new), "readme.txt": "v1\r\n"}
        self.publish_signed("2026b", files, DELTA_TOOL_ARGS, serial=7001)
        for name, client in (("cold", self.prefix), ("warm", self.client("warm"))):
            self.plant(client, {"data/world.pak": old, "readme.txt": "v1\r\n"})
            visit = self.visit("b", client)
            self.assertInstalled(visit, "2026b", files, client)
            archive = [(status, asked) for fn, status, _, asked in requests_of(visit.mirror_log)
                       if fn == "2026b/data/world.pak"]
            self.assertTrue(archive)
            self.assertEqual({206}, {status for status, _ in archive}, "only ranges of the archive")
            self.assertIn("2026b/data/world.pak.blkidx", [fn for fn, _, _, _ in requests_of(visit.mirror_log)])
            if name == "cold":
                self.assertLess(body_bytes(visit.origin_log), len(new) / 2)
            else:
                self.assertEqual([], visit.origin_log, "a warm mirror asks the origin for nothing")
