"""What any user of the machine could put where the elevated updater looks,
played against the build that checks signed releases: a DLL and a regsvr32.exe
planted beside it, a component list and a post-update script planted in its
folder, a one-time command in the user's own registry, a changed client or
updater. None of them runs; the one-time command an administrator gives
("exec:") still does."""
import os
import shutil
import unittest

import harness
from scenario import DONE, MACHINE_KEY, UPDATER_KEY, RELEASE_KEY, SIGNED_BUILD, Scenario, copy_fixture, fixture

UNSIGNED = "[%s] 파일이 업데이트 서명에 없습니다.\n서명된 업데이트의 파일만 사용합니다."
CHANGED = "[%s] 파일이 업데이트 서명과 일치하지 않습니다.\n사용하지 않고 지웠습니다. 다음 실행 때 다시 받습니다."


class PlantedFiles(Scenario):
    def setUp(self):
        super().setUp()
        self.start_server()
        self.prefix.install_updater(exe_name=SIGNED_BUILD)

    def publish_signed(self, version, serial, with_components):
        files = {"Arkenfel.exe": ("copy", fixture("fixture_sleeper.exe")),
                 "plain.dll": ("copy", fixture("fixture_plain.dll"))}
        if with_components:
            files["setup.bat"] = "plain.dll\r\n"
        self.publish(version, files, ["--include-list", "--sign", harness.win_path(RELEASE_KEY), "--serial", str(serial)])

    def exists(self, name):
        """A file directly in the home folder, its name's case ignored (a
        program names its own file as it was asked for)."""
        return name.lower() in [entry.lower() for entry in os.listdir(self.prefix.home)]

    def test_nothing_planted_runs_and_a_changed_client_is_not_started(self):
        # A DLL the loader would take from the program's folder (Wine takes
        # a native msimg32.dll only when told to), a regsvr32.exe that a
        # search by name finds there first, the user's own one-time command.
        shutil.copy(os.path.join(harness.BIN, "planted", "msimg32.dll"), self.home_file("msimg32.dll"))
        copy_fixture("fixture_sleeper.exe", self.home_file("regsvr32.exe"))
        copy_fixture("fixture_sleeper.exe", self.home_file("user_once.exe"))
        self.prefix.reg_add(UPDATER_KEY, "RunOnce", "C:\\ARKENFEL\\user_once.exe")
        self.publish_signed("2026a", 7000, with_components=True)
        # plain.dll refuses to register but in regsvr32, which it names in
        # its log: registering it takes regsvr32.
        env = {"WINEDLLOVERRIDES": self.prefix.env["WINEDLLOVERRIDES"] + ";msimg32=n,b", "FIXTURE_FAIL_IN_PROCESS": "1"}
        first = self.prefix.run_updater(name="install", env=env)
        self.assertNoUnansweredBoxes(first)
        self.assertEqual([], first.boxes())
        self.assertIn(DONE, first.texts(1017))
        self.assertFalse(self.exists("msimg32.dll.record"), "the planted msimg32.dll was loaded")
        self.assertTrue(self.exists("plain.dll.log"), "the planted regsvr32.exe ran instead of the system's")
        self.assertEqual("regsvr32.exe\r\n", self.read_home("plain.dll.log").decode().lower())
        self.assertFalse(self.exists("user_once.exe.record"), "a RunOnce of HKEY_CURRENT_USER ran")
        for kept in ("Arkenfel_Release.sig", "Arkenfel_Release.lst"):
            self.assertTrue(self.exists(kept), kept)

        # The next release has neither; someone else has put both in the folder.
        self.publish_signed("2026b", 7001, with_components=False)
        copy_fixture("fixture_component.dll", self.home_file("evil.dll"))
        self.write_home("setup.bat", "evil.dll\r\n")
        copy_fixture("fixture_sleeper.exe", self.home_file("recorder.exe"))
        self.write_home("Arkenfel_Update.ini", "recorder.exe|$WAIT$:10000\r\n")
        second = self.prefix.run_updater(name="planted", answers=["업데이트 서명=1"])
        self.assertNoUnansweredBoxes(second)
        self.assertIn(DONE, second.texts(1017))
        self.assertEqual([UNSIGNED % "setup.bat", UNSIGNED % "Arkenfel_Update.ini"], second.boxes())
        self.assertFalse(self.exists("evil.dll.log"), "the planted component list registered a DLL")
        self.assertFalse(self.exists("recorder.exe.record"), "the planted script ran")
        for consumed in ("setup.bat", "Arkenfel_Update.ini"):
            self.assertFalse(self.exists(consumed), consumed)

        # What an administrator gives at an elevated start still runs, from
        # the machine's own key.
        copy_fixture("fixture_sleeper.exe", self.home_file("once.exe"))
        third = self.prefix.run_updater(["exec:C:\\ARKENFEL\\once.exe"], name="exec")
        self.assertNoUnansweredBoxes(third)
        self.assertTrue(self.exists("once.exe.record"), "the exec: command did not run")
        self.assertIsNone(self.prefix.reg_query(MACHINE_KEY, "RunOnce"))
        self.assertFalse(self.exists("user_once.exe.record"))

        # No release verifies (no gateway): the client is checked against the
        # release kept from the last install, refused and deleted, and the
        # next run fetches it again.
        gateway = os.path.join(self.release.top, "gateway.ini")
        with open(gateway, "rb") as f:
            gateway_text = f.read()
        os.remove(gateway)
        with open(self.home_file("Arkenfel.exe"), "ab") as f:
            f.write(b"changed")
        fourth = self.prefix.run_updater(name="offline", answers=["=1"])
        self.assertNoUnansweredBoxes(fourth)
        self.assertEqual(CHANGED % "Arkenfel.exe", fourth.boxes()[-1])
        self.assertEqual([], self.client_runs())
        self.assertFalse(self.exists("Arkenfel.exe"))

        with open(gateway, "wb") as f:
            f.write(gateway_text)
        fifth = self.prefix.run_updater(name="mended")
        self.assertNoUnansweredBoxes(fifth)
        self.assertIn(DONE, fifth.texts(1017))
        self.assertSameFile("2026b", "Arkenfel.exe")

        # An updater started from elsewhere starts the copy in the home folder
        # only when the release installed there vouches for it; this release
        # has none, so a changed copy gives way to the one the user started.
        with open(self.home_file("Arkenfel_Update.exe"), "ab") as f:
            f.write(b"changed")  # trailing bytes do not stop a PE file from running
        source = self.prefix.install_updater(exe_name=SIGNED_BUILD, folder="C:\\Temp\\")
        sixth = self.prefix.drive([source], reads=["*:1017"], name="relocated")
        self.assertNoUnansweredBoxes(sixth)
        self.assertEqual(2, sixth.started().count("Arkenfel_Update.exe"), sixth.started())
        with open(self.prefix.c(source), "rb") as started:
            self.assertEqual(started.read(), self.read_home("Arkenfel_Update.exe"))


if __name__ == "__main__":
    unittest.main()
