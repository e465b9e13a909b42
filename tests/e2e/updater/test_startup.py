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
from scenario import DONE, MACHINE_KEY, UPDATER_KEY, Scenario, copy_fixture

SHORTCUT = "C:\\users\\Public\\Desktop\\아르켄펠.lnk"
REPAIR_SHORTCUT = "C:\\users\\Public\\Desktop\\아르켄펠 복구.lnk"
ALREADY_RUNNING = "자동 업데이터가 이미 실행 중입니다"
HOME_UPDATER = "C:\\ARKENFEL\\Arkenfel_Update.exe"


class StartUp(Scenario):
    def publish_empty_release(self):
        self.publish("2026a", {"readme.txt": "readme\r\n"})
        self.start_server()

    def shortcut(self, path=SHORTCUT):
        proc = self.prefix.wine([os.path.join(harness.BIN, "shortcut_info.exe"), path], check=False)
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
        self.assertEqual({"target": HOME_UPDATER, "workdir": "C:\\ARKENFEL", "arguments": ""}, self.shortcut())
        self.assertEqual({"target": HOME_UPDATER, "workdir": "C:\\ARKENFEL", "arguments": "repair:"},
                         self.shortcut(REPAIR_SHORTCUT))
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
                            relay_trace.relay_include(*relay_trace.HOME_TREE_CALLS + ("CreateProcessA", "CreateMutexA")))
        run = self.prefix.drive([source], reads=["*:1017"], env={"WINEDEBUG": "+relay"})
        self.assertNoUnansweredBoxes(run)
        self.assertIn(DONE, run.texts(1017))
        # The updater's calls (the driver's own are on its log files).
        events = []
        for e in relay_trace.home_tree_events(relay_trace.calls(os.path.join(self.prefix.dir, "run.stderr"))):
            if e[0] == "CreateProcessA":
                e = (e[0], e[1][:1])  # the application name given
                if e[1] != [HOME_UPDATER] or events[-1:] == [e]:
                    continue  # the driver's start, or the same call under its other name
            if e[0] in ("CreateProcessA", "CreateMutexA") or e[0] != "CreateFileA" and e[1].startswith("C:\\"):
                events.append(e)
        own_home = ("own", "C:\\ARKENFEL")
        # The relocation gives the new folder its descriptor, then starts the
        # copy in it; the copy, in a folder that exists, checks the tree (and
        # where Wine keeps no descriptor, gives every entry its own again)
        # before anything else.
        copy_owns = [] if kept else [own_home, ("own", HOME_UPDATER)]
        self.assertEqual([own_home, ("CreateProcessA", [HOME_UPDATER])] + copy_owns +
                         [("CreateMutexA", ["ARKENFEL"])], events[:3 + len(copy_owns)])
        if kept:
            self.assertEqual({"sddl:C:\\ARKENFEL": ROOT_SDDL, "sddl:" + HOME_UPDATER: FILE_SDDL},
                             self.security("C:\\ARKENFEL", HOME_UPDATER))
        else:
            sys.stderr.write("note: this Wine does not keep a descriptor (%s); the trace above is what shows "
                             "the home folder's\n" % self.security("C:\\probe")["sddl:C:\\probe"])

    def test_a_copy_found_in_the_home_is_started_only_when_it_is_this_program(self):
        self.publish_empty_release()
        self.prefix.reg_add(UPDATER_KEY, "InstallPath", "C:\\ARKENFEL\\")
        source = self.prefix.install_updater(folder="C:\\Temp\\")
        # Planted by someone before the first run: a program of his own under
        # the updater's name, which records it if it is ever started.
        planted = self.prefix.c(HOME_UPDATER)
        copy_fixture("fixture_sleeper.exe", planted)
        run = self.prefix.drive([source], reads=["*:1017"])
        self.assertNoUnansweredBoxes(run)
        self.assertFalse(os.path.exists(planted + ".record"), "the planted program was started")
        with open(planted, "rb") as copy, open(self.prefix.c(source), "rb") as original:
            self.assertEqual(original.read(), copy.read(), "the planted program was not replaced")
        self.assertIn(DONE, run.texts(1017), "the genuine copy ran the update")
        self.assertIsNone(self.shortcut())
        self.assertEqual("C:\\ARKENFEL\\", self.prefix.reg_query(UPDATER_KEY, "InstallPath"))

        # This very program found there is started as it is, not copied again.
        inode = os.stat(planted).st_ino
        again = self.prefix.drive([source], reads=["*:1017"], name="identical")
        self.assertNoUnansweredBoxes(again)
        self.assertEqual(inode, os.stat(planted).st_ino)
        self.assertEqual(2, again.started().count("Arkenfel_Update.exe"), again.started())

        # A copy that cannot be replaced (held open by a program of the
        # planter's) is never started: the relocation ends with a box.
        os.remove(planted)
        copy_fixture("fixture_sleeper.exe", planted)
        ready = "C:\\Temp\\held.ready"
        holder = self.prefix.spawn([os.path.join(harness.BIN, "fixture_holdfile.exe"), HOME_UPDATER, "60000", ready])
        try:
            for _ in range(300):
                if os.path.exists(self.prefix.c(ready)):
                    break
                time.sleep(0.1)
            held = self.prefix.drive([source], answers=["=1"], name="held")
        finally:
            holder.kill()
        self.assertFalse(os.path.exists(planted + ".record"), "the planted program was started")
        self.assertEqual(1, len(held.boxes()), held.boxes())
        self.assertTrue(held.boxes()[0].startswith("자동 업데이터를 " + HOME_UPDATER + "(으)로 복사할 수 없습니다."),
                        held.boxes())
        self.assertEqual(["Arkenfel_Update.exe"], held.started())

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
