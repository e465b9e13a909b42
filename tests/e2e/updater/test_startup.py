"""Start-up: the home-folder rule, relocation with its desktop shortcut, the
home folder's permissions, a second instance, and the "exec:" argument."""
import os
import shutil
import sys
import threading
import time
import unittest

import harness
import relay_trace
from home_security import FILE_SDDL, ROOT_SDDL, read_back
from scenario import DONE, MACHINE_KEY, UPDATER_KEY, Scenario

SHORTCUT = "C:\\users\\Public\\Desktop\\아르켄펠.lnk"
ALREADY_RUNNING = "자동 업데이터가 이미 실행 중입니다"
HOME_UPDATER = "C:\\ARKENFEL\\Arkenfel_Update.exe"


class StartUp(Scenario):
    def publish_empty_release(self):
        self.publish("2026a", {"readme.txt": "readme\r\n"})
        self.start_server()

    def shortcut(self):
        proc = self.prefix.wine([os.path.join(harness.BIN, "shortcut_info.exe"), SHORTCUT], check=False)
        if proc.returncode != 0:
            return None
        return dict(line.split("=", 1) for line in proc.stdout.decode("utf-8").splitlines() if "=" in line)

    def test_relocates_from_a_deeper_folder_makes_the_shortcut_and_starts_the_copy(self):
        self.publish_empty_release()
        self.prefix.reg_add(UPDATER_KEY, "InstallPath", "C:\\OLD\\")
        source = self.prefix.install_updater(folder="C:\\Games\\ARKENFEL\\")
        run = self.prefix.drive([source], reads=["*:1017"])
        self.assertNoUnansweredBoxes(run)
        self.assertEqual(2, run.started().count("Arkenfel_Update.exe"), run.started())
        self.assertIn(DONE, run.texts(1017))
        with open(self.prefix.c(HOME_UPDATER), "rb") as copy, open(self.prefix.c(source), "rb") as original:
            self.assertEqual(original.read(), copy.read())
        self.assertEqual({"target": HOME_UPDATER, "workdir": "C:\\ARKENFEL"}, self.shortcut())
        self.assertIsNone(self.prefix.reg_query(UPDATER_KEY, "InstallPath"))
        self.assertTrue(os.path.exists(self.home_file("readme.txt")), "the copy ran the update")

    def security(self, *paths, own=False):
        return read_back(self.prefix, *paths, own=own)[0]

    def test_the_home_folder_is_made_the_administrators_before_anything_in_it_runs(self):
        self.publish_empty_release()
        source = self.prefix.install_updater(folder="C:\\Temp\\")
        # Whether Wine keeps a descriptor: given in one process, read in another.
        os.makedirs(self.prefix.c("C:\\probe\\"))
        self.assertEqual("owned", self.security("C:\\probe", own=True)["result"])
        kept = self.security("C:\\probe")["sddl:C:\\probe"] == ROOT_SDDL
        # Wine's relay trace shows the calls made and their results, in order.
        self.prefix.reg_add("HKCU\\Software\\Wine\\Debug", "RelayInclude",
                            relay_trace.relay_include(*relay_trace.HOME_TREE_CALLS + ("ShellExecuteA", "CreateMutexA")))
        run = self.prefix.drive([source], reads=["*:1017"], env={"WINEDEBUG": "+relay"})
        self.assertNoUnansweredBoxes(run)
        self.assertIn(DONE, run.texts(1017))
        # The updater's calls (the driver's own are on its log files).
        events = [e for e in relay_trace.home_tree_events(relay_trace.calls(os.path.join(self.prefix.dir, "run.stderr")))
                  if e[0] in ("ShellExecuteA", "CreateMutexA") or e[0] != "CreateFileA" and e[1].startswith("C:\\")]
        own_home = ("own", "C:\\ARKENFEL")
        # The relocation gives the new folder its descriptor, then starts the
        # copy in it; the copy, in a folder that exists, checks the tree (and
        # where Wine keeps no descriptor, gives every entry its own again)
        # before anything else.
        copy_owns = [] if kept else [own_home, ("own", HOME_UPDATER)]
        self.assertEqual([own_home, ("ShellExecuteA", ["open", HOME_UPDATER])] + copy_owns +
                         [("CreateMutexA", ["ARKENFEL"])], events[:3 + len(copy_owns)])
        if kept:
            self.assertEqual({"sddl:C:\\ARKENFEL": ROOT_SDDL, "sddl:" + HOME_UPDATER: FILE_SDDL},
                             self.security("C:\\ARKENFEL", HOME_UPDATER))
        else:
            sys.stderr.write("note: this Wine does not keep a descriptor (%s); the trace above is what shows "
                             "the home folder's\n" % self.security("C:\\probe")["sddl:C:\\probe"])

    def test_an_existing_copy_is_started_unchanged_without_a_shortcut(self):
        self.publish_empty_release()
        existing = self.prefix.install_updater()
        with open(self.prefix.c(existing), "ab") as f:
            f.write(b"older copy")  # trailing bytes do not stop a PE file from running
        with open(self.prefix.c(existing), "rb") as f:
            before = f.read()
        self.prefix.reg_add(UPDATER_KEY, "InstallPath", "C:\\ARKENFEL\\")
        source = self.prefix.install_updater(folder="C:\\Temp\\")
        run = self.prefix.drive([source], reads=["*:1017"])
        self.assertNoUnansweredBoxes(run)
        with open(self.prefix.c(existing), "rb") as f:
            self.assertEqual(before, f.read())
        self.assertIsNone(self.shortcut())
        self.assertEqual("C:\\ARKENFEL\\", self.prefix.reg_query(UPDATER_KEY, "InstallPath"))
        self.assertEqual(2, run.started().count("Arkenfel_Update.exe"))

    def test_any_file_name_directly_in_arkenfel_on_another_drive_runs_in_place(self):
        self.publish_empty_release()
        games = os.path.join(self.prefix.dir, "games_drive")
        os.makedirs(os.path.join(games, "Arkenfel"))
        os.symlink(games, os.path.join(self.prefix.dir, "prefix", "dosdevices", "d:"))
        updater = os.path.join(games, "Arkenfel", "Other.exe")
        # A copy: a hard-linked name in the home is removed at start.
        shutil.copyfile(os.path.join(harness.BIN, "Arkenfel_Update.exe"), updater)
        run = self.prefix.drive(["D:\\Arkenfel\\Other.exe"], reads=["*:1017"])
        self.assertNoUnansweredBoxes(run)
        self.assertEqual(["Other.exe"], run.started())
        self.assertIn(DONE, run.texts(1017))
        self.assertTrue(os.path.exists(os.path.join(games, "Arkenfel", "readme.txt")))
        self.assertFalse(os.path.exists(self.prefix.c(HOME_UPDATER)))

    def test_a_second_instance_shows_its_box_and_leaves(self):
        self.publish("2026a", {"readme.txt": "readme\r\n"})
        server = self.start_server()
        # The first instance waits on a stalled gateway while the second starts.
        server.plan("vantero", [{"file": "gateway.ini", "nth": 1, "fault": "stall", "seconds": 6}])
        updater = self.prefix.install_updater()
        first = {}
        thread = threading.Thread(target=lambda: first.update(run=self.prefix.drive([updater], name="first",
                                                                                      answers=["=1"])))
        thread.start()
        for _ in range(300):
            if server.requests():
                break
            time.sleep(0.1)
        second = self.prefix.drive([updater], name="second", answers=[ALREADY_RUNNING + "=1"])
        thread.join(timeout=180)
        self.assertEqual([ALREADY_RUNNING], second.boxes())
        self.assertEqual(["Arkenfel_Update.exe"], second.started())
        self.assertEqual(0, second.exit_code)
        self.assertFalse(first["run"].timed_out)

    def test_exec_argument_is_stored_folded_and_no_arguments_leave_it_alone(self):
        updater = self.prefix.install_updater()  # no server: the run only starts the client
        run = self.prefix.drive([updater, "EXEC:C:\\Tools\\Setup Me.exe"], answers=["=1"])
        self.assertFalse(run.timed_out)
        self.assertEqual("c:\\tools\\setupme.exe", self.prefix.reg_query(MACHINE_KEY, "RunOnce"))

        self.prefix.reg_add(MACHINE_KEY, "RunOnce", "keep me")
        self.prefix.drive([updater], answers=["=1"], name="no_arguments")
        self.assertEqual("keep me", self.prefix.reg_query(MACHINE_KEY, "RunOnce"))

        self.prefix.drive([updater, "/whatever"], answers=["=1"], name="other_argument")
        # An empty text is stored as a string value without data.
        self.assertIn(self.prefix.stored_value(MACHINE_KEY, "RunOnce"), ('""', "str(1):\"\"", "hex(1):"))


if __name__ == "__main__":
    unittest.main()
