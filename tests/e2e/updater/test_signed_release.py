"""Signed releases: the updater built with the test release key installs a
release the operators' tool signed (and openssl agrees with the signature);
a build without a key asks for nothing more than before; a tampered file, a
replayed older release or one older than the build installs nothing and runs
nothing."""
import os
import re
import subprocess
import tempfile
import unittest

import harness
from scenario import DONE, MACHINE_KEY, NOT_INSTALLED, Scenario, copy_fixture, fixture
from scenario import SIGNING_KEYS as KEYS

SIGNED_BUILD = "Arkenfel_Update_signed.exe"
OLDER_RELEASE = "이미 설치한 업데이트보다 오래된 업데이트입니다."
FILE_MISMATCH = "[data\\map.pak] 파일이 업데이트 서명과 일치하지 않습니다."
# The files a keyed updater keeps in flight at once.
FILES_IN_FLIGHT = 8
MAP = os.urandom(300000)
# An access log line of the reference nginx: the name, the Range header and the connection.
LOGGED = re.compile(r'fn=vantero/(\S+) HTTP/[\d.]+" \d+ \d+ range="([^"]*)" ua="[^"]*" conn=(\d+)/')


def release_files():
    return {
        "readme.txt": "서명된 릴리스\r\n",
        "data/map.pak": MAP,
        "recorder.exe": ("copy", fixture("fixture_sleeper.exe")),
        # the post-update script: runs the recorder, which leaves a record
        "Arkenfel_Update.ini": "recorder.exe|$WAIT$:10000\r\n",
    }


class SignedReleaseScenario(Scenario):
    def publish_signed(self, version, serial):
        key = harness.win_path(os.path.join(KEYS, "test_release_key.pem"))
        self.publish(version, release_files(), ["--include-list", "--sign", key, "--serial", str(serial)])

    def fetched(self, since=0):
        return [r["fn"] for r in self.server.requests()[since:] if r.get("kind") == "whole"]


class SignedReleaseInstalls(SignedReleaseScenario):
    def test_installs_a_release_openssl_verifies_and_a_build_without_key_asks_nothing_more(self):
        self.start_server()
        self.publish_signed("2026a", 7000)
        signature = os.path.join(self.release.folder("2026a"), "Arkenfel_Release.sig")
        with open(signature, "rb") as f:
            text = f.read()
        body, line = text[:text.rindex(b"signature ")], text[text.rindex(b"signature "):]
        with tempfile.TemporaryDirectory() as tmp:
            with open(os.path.join(tmp, "body"), "wb") as f:
                f.write(body)
            with open(os.path.join(tmp, "sig"), "wb") as f:
                f.write(bytes.fromhex(line.split()[1].decode()))
            check = subprocess.run(["openssl", "dgst", "-sha256", "-verify",
                                    os.path.join(KEYS, "test_release_key.pub.pem"), "-signature",
                                    os.path.join(tmp, "sig"), os.path.join(tmp, "body")], capture_output=True)
        self.assertEqual(b"Verified OK\n", check.stdout, check.stderr)

        # Key files the tool makes are what openssl reads and writes.
        made = os.path.join(self.prefix.dir, "made")
        self.prefix.wine([os.path.join(harness.BIN, "arkenfel_release_list.exe"), "--make-key",
                          harness.win_path(made + ".pem"), harness.win_path(made + ".pub.pem")])
        for args in (["rsa", "-check", "-noout", "-in", made + ".pem"],
                     ["pkey", "-pubin", "-noout", "-in", made + ".pub.pem"]):
            self.assertEqual(0, subprocess.run(["openssl"] + args, capture_output=True).returncode, args)

        self.prefix.install_updater(exe_name=SIGNED_BUILD)
        run = self.prefix.run_updater()
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([], run.boxes())
        self.assertIn(DONE, run.texts(1017))
        fetched = self.fetched()
        self.assertEqual(["vantero/gateway.ini", "vantero/2026a/Arkenfel_List.ini",
                          "vantero/2026a/Arkenfel_Release.sig"], fetched[:3])
        for rel in ("readme.txt", "data/map.pak", "recorder.exe"):
            self.assertSameFile("2026a", rel)
        self.assertTrue(os.path.exists(self.home_file("recorder.exe.record")), "the script ran")
        self.assertEqual("0x1b58", self.prefix.reg_query(MACHINE_KEY, "ReleaseSerial"))

        # The build without a key: the same requests as ever, no signature asked
        # for (the script, deleted once it has run, is fetched again).
        self.prefix.install_updater()
        before = len(self.server.requests())
        again = self.prefix.run_updater(name="without_key")
        self.assertNoUnansweredBoxes(again)
        self.assertIn(DONE, again.texts(1017))
        self.assertEqual(["vantero/gateway.ini", "vantero/2026a/Arkenfel_List.ini",
                          "vantero/2026a/Arkenfel_Update.ini"], self.fetched(before))


class ReleasePublishedOnLinux(SignedReleaseScenario):
    """The Linux tool publishes, the keyed updater installs: Korean install
    names, a block index, and the next release fetched by its changed blocks."""

    def test_the_keyed_updater_installs_a_release_the_linux_tool_signed_and_then_only_its_changed_blocks(self):
        self.start_server()
        key = os.path.join(KEYS, "test_release_key.pem")
        indexed = ["--include-list", "--sign", key, "--index-threshold", "65536", "--block-size", "4096",
                   "--local", "readme.txt=문서/안내.txt"]
        self.publish("2026a", release_files(), indexed + ["--serial", "7000"], native=True)
        self.prefix.install_updater(exe_name=SIGNED_BUILD)
        run = self.prefix.run_updater()
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([], run.boxes())
        self.assertIn(DONE, run.texts(1017))
        self.assertSameFile("2026a", "readme.txt", self.home_file("문서/안내.txt"))
        for rel in ("data/map.pak", "recorder.exe"):
            self.assertSameFile("2026a", rel)
        self.assertTrue(os.path.exists(self.home_file("recorder.exe.record")), "the script ran")
        self.assertEqual("0x1b58", self.prefix.reg_query(MACHINE_KEY, "ReleaseSerial"))

        changed = bytearray(MAP)
        changed[100000:104096] = os.urandom(4096)
        files = dict(release_files(), **{"data/map.pak": bytes(changed)})
        self.publish("2026b", files, indexed + ["--serial", "7001", "--previous", self.release.folder("2026a")],
                     native=True)
        before = len(self.server.requests())
        again = self.prefix.run_updater(name="changed_blocks")
        self.assertNoUnansweredBoxes(again)
        self.assertIn(DONE, again.texts(1017))
        self.assertSameFile("2026b", "data/map.pak")
        archive = [r for r in self.server.requests()[before:] if r.get("fn", "").endswith("2026b/data/map.pak")]
        self.assertEqual({"range"}, {r.get("kind") for r in archive}, archive)
        self.assertLessEqual(sum(r.get("bytes", 0) for r in archive), 3 * 4096, archive)
        self.assertEqual("0x1b59", self.prefix.reg_query(MACHINE_KEY, "ReleaseSerial"))


class ManyFilesOverAKeptConnection(SignedReleaseScenario):
    server_kind = "nginx"

    def test_files_come_in_flight_together_each_one_ranged_request_over_at_most_eight_kept_connections(self):
        self.start_server()
        files = {"data/f%03d.dat" % i: os.urandom(2000 + 37 * i) for i in range(60)}
        key = harness.win_path(os.path.join(KEYS, "test_release_key.pem"))
        self.publish("2026a", files, ["--sign", key, "--serial", "7000"])
        self.prefix.install_updater(exe_name=SIGNED_BUILD)
        run = self.prefix.run_updater()
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([], run.boxes())
        self.assertIn(DONE, run.texts(1017))
        for rel in files:
            self.assertSameFile("2026a", rel)

        logged = [LOGGED.search(line).groups() for line in self.server.access_log() if LOGGED.search(line)]
        of_files = [(name, ranged, conn) for name, ranged, conn in logged if name.startswith("2026a/data/")]
        # No size query and no sample: the signature gave every size.
        self.assertEqual(sorted(("2026a/" + rel, "bytes=0-%d" % (len(data) - 1)) for rel, data in files.items()),
                         sorted((name, ranged) for name, ranged, _ in of_files))
        # Several files at once (one connection each), every body read to its
        # end, so that the connections are kept from file to file: never more
        # than the eight files the updater keeps in flight.
        connections = {conn for _, _, conn in of_files}
        self.assertGreater(len(connections), 1, of_files)
        self.assertLessEqual(len(connections), FILES_IN_FLIGHT, of_files)


class RefusedReleases(SignedReleaseScenario):
    def setUp(self):
        super().setUp()
        self.start_server()
        self.prefix.install_updater(exe_name=SIGNED_BUILD)
        copy_fixture("fixture_sleeper.exe", self.home_file("Arkenfel.exe"))

    def assertNothingInstalledNorRun(self, run, box):
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([box], run.boxes())
        for rel in release_files():
            self.assertFalse(os.path.exists(self.home_file(rel)), rel)
        self.assertFalse(os.path.exists(self.home_file("recorder.exe.record")), "the script must not run")
        self.assertFalse(os.path.exists(self.home_file("data/map.pak_")))
        self.assertFalse(os.path.exists(self.home_file("data/map.$ver$")))

    def test_a_tampered_file_and_a_replayed_older_release_install_nothing_and_run_nothing(self):
        self.publish_signed("2026a", 7000)
        tampered = bytearray(MAP)
        tampered[5000] ^= 0xFF
        self.release.put("2026a", "data/map.pak", bytes(tampered))
        first = self.prefix.run_updater(answers=[FILE_MISMATCH + "=1"], name="tampered")
        self.assertNothingInstalledNorRun(first, FILE_MISMATCH + "\n받은 파일을 지웠습니다. 다음 실행 때 다시 받습니다.")
        self.assertIn(FILE_MISMATCH, first.texts(1017))
        self.assertEqual(["C:\\ARKENFEL\\Arkenfel.exe /run"], self.client_runs())

        # The genuine file back, but the updater has accepted a newer release since.
        self.release.put("2026a", "data/map.pak", MAP)
        self.prefix.reg_add(MACHINE_KEY, "ReleaseSerial", "7001", "REG_DWORD")
        before = len(self.server.requests())
        second = self.prefix.run_updater(answers=[OLDER_RELEASE + "=1"], name="replayed")
        self.assertNothingInstalledNorRun(second, OLDER_RELEASE + NOT_INSTALLED)
        self.assertEqual(["vantero/gateway.ini", "vantero/2026a/Arkenfel_List.ini",
                          "vantero/2026a/Arkenfel_Release.sig"], self.fetched(before))
        self.assertEqual(["C:\\ARKENFEL\\Arkenfel.exe /run"] * 2, self.client_runs())
        self.assertEqual("0x1b59", self.prefix.reg_query(MACHINE_KEY, "ReleaseSerial"))

    def test_a_release_older_than_the_build_is_refused_on_a_machine_that_has_accepted_none(self):
        # The signed test build carries 6000 as its lowest serial.
        self.publish_signed("2025z", 5999)
        run = self.prefix.run_updater(answers=[OLDER_RELEASE + "=1"])
        self.assertNothingInstalledNorRun(run, OLDER_RELEASE + NOT_INSTALLED)
        self.assertIsNone(self.prefix.reg_query(MACHINE_KEY, "ReleaseSerial"))


if __name__ == "__main__":
    unittest.main()
