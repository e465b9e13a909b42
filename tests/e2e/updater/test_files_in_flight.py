"""With a release key several files are in flight at once. A file that fails
while others are in flight ends the run with the transfer's own box once the
others have ended, and what they staged is used by the next run instead of
being fetched again. A staged file is held from its first byte to its copy:
another program that keeps trying to write into it while it comes is turned
away every time, and the bytes installed are the signed ones."""
import os

import harness
from scenario import DONE, RELEASE_KEY, SIGNED_BUILD, Scenario, copy_fixture, fixture

LENGTH_MISMATCH = "파일 길이가 일치하지 않습니다."


def release_files(count):
    return {"data/f%02d.dat" % i: os.urandom(3000 + 101 * i) for i in range(count)}


class FilesInFlight(Scenario):
    def setUp(self):
        super().setUp()
        self.start_server()
        self.prefix.install_updater(exe_name=SIGNED_BUILD)
        copy_fixture("fixture_sleeper.exe", self.home_file("Arkenfel.exe"))

    def publish_signed(self, files, serial=7000):
        self.publish("2026a", files, ["--sign", harness.win_path(RELEASE_KEY), "--serial", str(serial)])

    def file_requests(self, since=0):
        return [r for r in self.server.requests()[since:]
                if r.get("fn", "").startswith("vantero/2026a/data/") and r.get("status")]

    def test_a_file_failing_in_flight_fails_the_run_after_the_others_and_their_staged_bytes_are_kept(self):
        files = release_files(10)
        # More than ten broken-off attempts bring, and large enough to be continued next run.
        files["data/f02.dat"] = os.urandom(100000)
        self.publish_signed(files)
        failing = "2026a/data/f02.dat"
        self.server.plan("vantero", [{"file": failing, "kind": "range", "fault": "drop", "after": 1000}])
        first = self.prefix.run_updater(answers=[LENGTH_MISMATCH + "=1"], name="first")
        self.assertFalse(first.timed_out)
        self.assertEqual([LENGTH_MISMATCH], first.boxes())
        self.assertEqual(["C:\\ARKENFEL\\Arkenfel.exe /run"], self.client_runs())
        # Every attempt at the failing file continued after the bytes it had.
        ranges = [r["range"] for r in self.file_requests() if r["fn"] == "vantero/" + failing]
        self.assertEqual(["bytes=%d-%d" % (1000 * i, len(files["data/f02.dat"]) - 1) for i in range(10)], ranges)
        # Each file was asked for once, from byte 0 to its signed size; the
        # ones in flight beside the failing one ended and are staged whole.
        others = [r for r in self.file_requests() if r["fn"] != "vantero/" + failing]
        self.assertTrue(others)
        for r in others:
            rel = r["fn"][len("vantero/2026a/"):]
            self.assertEqual("bytes=0-%d" % (len(files[rel]) - 1), r["range"])
        staged = sorted(rel for rel in files if rel != "data/f02.dat" and os.path.exists(self.home_file(rel + "_")))
        self.assertEqual(sorted(r["fn"][len("vantero/2026a/"):] for r in others), staged)
        for rel in staged:
            with open(self.home_file(rel + "_"), "rb") as f:
                self.assertEqual(files[rel], f.read(), rel)
        # The failing file's bytes are kept under its marker for the next run.
        self.assertEqual(10000, os.path.getsize(self.home_file("data/f02.dat_")))
        self.assertTrue(os.path.exists(self.home_file("data/f02.$ver$")))
        for rel in files:
            self.assertFalse(os.path.exists(self.home_file(rel)), rel)

        # The next run fetches what is missing only, and installs everything.
        self.server.plan("vantero", [])
        before = len(self.server.requests())
        second = self.prefix.run_updater(name="second")
        self.assertNoUnansweredBoxes(second)
        self.assertIn(DONE, second.texts(1017))
        asked = sorted(r["fn"][len("vantero/2026a/"):] for r in self.file_requests(before))
        self.assertEqual(sorted(set(files) - set(staged)), asked)
        self.assertIn("data/f02.dat", asked)
        self.assertIn("bytes=10000-", [r["range"][:12] for r in self.file_requests(before)
                                       if r["fn"] == "vantero/" + failing][0])
        for rel in files:
            self.assertSameFile("2026a", rel)

    def test_another_program_writing_into_a_file_in_flight_is_turned_away_and_the_signed_bytes_are_installed(self):
        files = release_files(4)
        slow = "data/f01.dat"
        self.publish_signed(files)
        # The file keeps coming for about two seconds: its last 20 bytes one
        # every 0.1 s.
        self.server.plan("vantero", [{"file": "2026a/" + slow, "kind": "range", "fault": "trickle",
                                      "after": len(files[slow]) - 20, "every": 0.1, "seconds": 30}])
        report = os.path.join(self.prefix.dir, "overwrite.txt")
        writer = self.prefix.spawn([fixture("fixture_overwrite.exe"), "C:\\ARKENFEL\\data\\f01.dat_", "60000",
                                    harness.win_path(report)])
        run = self.prefix.run_updater(name="attacked")
        writer.wait(timeout=90)
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([], run.boxes())
        self.assertIn(DONE, run.texts(1017))
        for rel in files:
            self.assertSameFile("2026a", rel)
        with open(report) as f:
            counts = dict(zip(*[iter(f.read().split())] * 2))
        # It found the file there and was refused while it came and until its copy.
        self.assertGreater(int(counts["refused"]), 20, counts)
        self.assertEqual(1, len([r for r in self.file_requests() if r["fn"] == "vantero/2026a/" + slow]))
