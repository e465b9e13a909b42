"""Runs that cannot finish at once: no gateway, a server that breaks off every
transfer (and the next run that resumes), and a file held by a running program."""
import os
import time
import unittest

import harness
from scenario import DONE, RETRY_LATER, Scenario, copy_fixture, fixture

GATEWAY_FAILED = "최종 버전을 가져오는 데 실패했습니다!"
RUNNING_DIALOG = "다음 파일이 실행 중입니다"
RUNNING_PROGRAM = "실행 중인 프로그램이 있습니다."
LENGTH_MISMATCH = "파일 길이가 일치하지 않습니다."
FIREWALL_FAILED = "방화벽에 등록할 목록을 처리하는 중 문제가 발생하였습니다!"


class Failures(Scenario):
    def setUp(self):
        super().setUp()
        self.start_server()
        self.prefix.install_updater()
        copy_fixture("fixture_sleeper.exe", self.home_file("Arkenfel.exe"))

    def release_held_file_after(self, milliseconds):
        """Publishes a release that replaces data/held.pak while another program
        holds that file open; returns the holding program once it holds it."""
        self.write_home("data/held.pak", "old")
        self.publish("2026a", {"data/held.pak": os.urandom(4000)})
        ready = os.path.join(self.prefix.dir, "held.ready")
        holder = self.prefix.spawn([fixture("fixture_holdfile.exe"), "C:\\ARKENFEL\\data\\held.pak",
                                    str(milliseconds), harness.win_path(ready)])
        for _ in range(200):
            if os.path.exists(ready):
                break
            time.sleep(0.05)
        return holder

    def test_a_missing_gateway_starts_the_client(self):
        self.release.put("2026a", "readme.txt", "x")  # a release, but no gateway.ini
        run = self.prefix.run_updater(answers=["=1"])
        self.assertFalse(run.timed_out)
        self.assertEqual(["QueryInfoStatusCode: 404"], run.boxes())
        self.assertEqual(10, len([r for r in self.server.requests()
                                  if r.get("fn") == "vantero/gateway.ini" and r.get("status")]))
        self.assertIn(GATEWAY_FAILED, run.texts(1017))
        self.assertEqual(["C:\\ARKENFEL\\Arkenfel.exe /run"], self.client_runs())

    def test_every_transfer_broken_off_then_the_next_run_resumes(self):
        big = os.urandom(600000)
        self.publish("2026a", {"data/big.pak": big, "readme.txt": "hello\r\n"})
        self.server.plan("vantero", [{"file": "2026a/data/big.pak", "kind": "range", "fault": "drop",
                                      "after": 20000}])
        first = self.prefix.run_updater(answers=[LENGTH_MISMATCH + "=1"], name="first")
        self.assertFalse(first.timed_out)
        self.assertEqual([LENGTH_MISMATCH], first.boxes())
        self.assertEqual(["C:\\ARKENFEL\\Arkenfel.exe /run"], self.client_runs())
        staged = self.home_file("data/big.pak_")
        self.assertEqual(10 * 20000, os.path.getsize(staged))
        self.assertTrue(os.path.exists(self.home_file("data/big.$ver$")))
        self.assertFalse(os.path.exists(self.home_file("data/big.pak")))

        self.server.plan("vantero", [])
        before = len(self.server.requests())
        second = self.prefix.run_updater(name="second")
        self.assertNoUnansweredBoxes(second)
        self.assertIn(DONE, second.texts(1017))
        self.assertEqual(big, self.read_home("data/big.pak"))
        ranges = [r["range"] for r in self.server.requests()[before:]
                  if r.get("fn") == "vantero/2026a/data/big.pak" and r.get("kind") == "range" and r.get("status")]
        # head and tail checked, then only the missing bytes asked for
        self.assertEqual(["bytes=0-1023", "bytes=198976-199999", "bytes=200000-599999"], ranges)
        self.assertFalse(os.path.exists(self.home_file("data/big.$ver$")))

    def test_a_server_that_answers_resumed_ranges_with_the_whole_file_installs_in_one_run(self):
        files = {"data/big.pak": os.urandom(300000), "small.dat": os.urandom(5000)}
        self.publish("2026a", files)
        # Partial files under their markers, as broken-off runs leave them: the
        # big one is checked with a resumed tail sample, the small one whole.
        for rel, length in (("data/big.pak", 200000), ("small.dat", 1000)):
            self.write_home(rel + "_", files[rel][:length])
            self.write_home(rel.rsplit(".", 1)[0] + ".$ver$", self.list_fingerprint("2026a", rel))
        self.server.plan("vantero", [{"kind": "resumed", "fault": "ignore_range"}])
        run = self.prefix.run_updater()
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([], run.boxes())
        self.assertIn(DONE, run.texts(1017))
        for rel in files:
            self.assertEqual(files[rel], self.read_home(rel), rel)
        self.assertEqual([], [name for name in os.listdir(self.prefix.home) + os.listdir(self.home_file("data"))
                              if name.endswith(("_", ".$ver$"))])

    def test_a_held_file_asks_for_retry_until_the_program_ends(self):
        # Held long enough that a start slowed by a busy machine still finds it held.
        holder = self.release_held_file_after(8000)
        run = self.prefix.run_updater(answers=[RUNNING_DIALOG + "=1004"], reads=["*:1017,1002"])
        holder.wait(timeout=60)
        self.assertNoUnansweredBoxes(run)
        dialogs = [e for e in run.of("dialog") if RUNNING_DIALOG in e["text"]]
        self.assertGreaterEqual(len(dialogs), 1)
        self.assertIn("C:\\ARKENFEL\\DATA\\HELD.PAK", dialogs[0]["text"])
        self.assertIn(DONE, run.texts(1017))
        self.assertSameFile("2026a", "data/held.pak")

    def test_cancelling_the_retry_dialog_fails_the_run_and_still_runs_the_installation_steps(self):
        holder = self.release_held_file_after(8000)
        # After a failure the installation steps still run, and their failures are shown.
        self.write_home("firewall.ini", "Arkenfel.exe|Arkenfel\r\n")
        copy_fixture("fixture_sleeper.exe", self.home_file("recorder.exe"))
        self.write_home("Arkenfel_Update.ini", "recorder.exe|$WAIT$:10000\r\n")
        run = self.prefix.run_updater(answers=[RUNNING_DIALOG + "=2", RUNNING_PROGRAM + "=1",
                                               FIREWALL_FAILED + "=1"])
        holder.wait(timeout=60)
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([RUNNING_PROGRAM + RETRY_LATER, FIREWALL_FAILED], [b.strip() for b in run.boxes()])
        self.assertEqual(b"old", self.read_home("data/held.pak"))
        self.assertFalse(os.path.exists(self.home_file("data/held.pak_")), "nothing is fetched")
        self.assertTrue(os.path.exists(self.home_file("recorder.exe.record")), "the script ran")
        self.assertEqual([], self.client_runs())


if __name__ == "__main__":
    unittest.main()
