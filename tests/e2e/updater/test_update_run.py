"""One update run seen from outside: the stored one-time command, read-only
and system-folder targets, and a copy that cannot be done."""
import os
import stat
import threading
import unittest

from scenario import DONE, MACHINE_KEY, REGISTERING, RETRY_LATER, UP_TO_DATE, Scenario, copy_fixture, fixture

SCRIPT_LINE = "recorder.exe|$WAIT$:10000\r\n"


class UpdateRun(Scenario):
    def setUp(self):
        super().setUp()
        self.start_server()
        self.updater = self.prefix.install_updater()

    def put_script_and_recorder(self):
        """A post-update script whose one line runs a program that records its start."""
        copy_fixture("fixture_sleeper.exe", self.home_file("recorder.exe"))
        self.write_home("Arkenfel_Update.ini", SCRIPT_LINE)

    def test_up_to_date_with_a_stored_command_runs_only_that_command(self):
        self.publish("2026a", {"readme.txt": "v1\r\n"})
        self.assertNoUnansweredBoxes(self.prefix.run_updater())
        self.put_script_and_recorder()
        copy_fixture("fixture_sleeper.exe", self.home_file("once.exe"))
        self.prefix.reg_add(MACHINE_KEY, "RunOnce", "C:\\ARKENFEL\\once.exe 0 C:\\ARKENFEL\\once.record")

        run = self.prefix.run_updater(name="second")
        self.assertNoUnansweredBoxes(run)
        self.assertIn(UP_TO_DATE, run.texts(1017))
        self.assertNotIn(REGISTERING, run.texts(1017))
        self.assertTrue(os.path.exists(self.home_file("once.record")))
        self.assertIsNone(self.prefix.reg_query(MACHINE_KEY, "RunOnce"))
        self.assertTrue(os.path.exists(self.home_file("Arkenfel_Update.ini")), "the script must wait")
        self.assertFalse(os.path.exists(self.home_file("recorder.exe.record")))

    def test_up_to_date_without_a_stored_command_runs_the_script(self):
        self.publish("2026a", {"readme.txt": "v1\r\n"})
        self.assertNoUnansweredBoxes(self.prefix.run_updater())
        self.put_script_and_recorder()
        run = self.prefix.run_updater(name="second")
        self.assertNoUnansweredBoxes(run)
        self.assertEqual(REGISTERING, run.last_text(1017))
        self.assertTrue(os.path.exists(self.home_file("recorder.exe.record")))
        self.assertFalse(os.path.exists(self.home_file("Arkenfel_Update.ini")))

    def test_installs_into_subfolders_over_read_only_files_and_into_the_system_folder(self):
        self.write_home("data/locked.pak", "old content")
        os.chmod(self.home_file("data/locked.pak"), stat.S_IREAD)
        self.prefix.wine(["cmd", "/c", "attrib", "+r", "C:\\ARKENFEL\\data\\locked.pak"])
        files = {"data/locked.pak": os.urandom(3000), "deep/er/still/file.dat": os.urandom(2000),
                 "arkenfel_sys.dat": os.urandom(1500)}
        self.publish("2026a", files, tool_args=["--system", "arkenfel_sys.dat"])
        run = self.prefix.run_updater()
        self.assertNoUnansweredBoxes(run)
        self.assertIn(DONE, run.texts(1017))
        self.assertSameFile("2026a", "data/locked.pak")
        self.assertSameFile("2026a", "deep/er/still/file.dat")
        self.assertSameFile("2026a", "arkenfel_sys.dat", self.prefix.c("C:\\windows\\system32\\arkenfel_sys.dat"))
        self.assertFalse(os.path.exists(self.prefix.c("C:\\windows\\system32\\arkenfel_sys.dat_")))

    def test_a_target_that_cannot_be_replaced_stops_the_run_with_its_name(self):
        # The target is free when the run checks for running programs and is
        # taken by another program while a later file downloads.
        self.write_home("a_blocked.pak", "old")
        self.publish("2026a", {"a_blocked.pak": os.urandom(2000), "b_slow.dat": os.urandom(3000)})
        self.server.plan("vantero", [{"file": "2026a/b_slow.dat", "kind": "range", "nth": 1, "fault": "stall",
                                      "seconds": 3, "after_headers": True}])
        result = {}
        worker = threading.Thread(target=lambda: result.update(
            run=self.prefix.run_updater(answers=["업데이트할 수 없습니다=1"])))
        worker.start()
        self.wait_for_request("2026a/b_slow.dat", "range")
        holder = self.prefix.spawn([fixture("fixture_holdfile.exe"), "C:\\ARKENFEL\\a_blocked.pak", "12000"])
        worker.join(timeout=200)
        holder.wait(timeout=60)

        run = result["run"]
        failure = "[C:\\ARKENFEL\\a_blocked.pak] 파일을 업데이트할 수 없습니다. "
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([failure + "\n(a_blocked.pak)" + RETRY_LATER], run.boxes())
        self.assertIn(failure, run.texts(1017))
        self.assertEqual(b"old", self.read_home("a_blocked.pak"))
        self.assertTrue(os.path.exists(self.home_file("b_slow.dat_")), "the loop stops at the failure")
        self.assertFalse(os.path.exists(self.home_file("b_slow.dat")))
        self.assertFalse(os.path.exists(self.home_file("Arkenfel_List.ini_")))

if __name__ == "__main__":
    unittest.main()
