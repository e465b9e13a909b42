"""A home someone made and filled before the updater's first run, played
against the build that checks signed releases: his own program under the
updater's name, a DLL the loader would take from the program's folder, a
child folder of his, a folder link and a hard link to files outside. The relocation replaces the planted updater and starts the
genuine one; nothing planted runs or loads; nothing outside the home is
written, emptied or deleted; a file that would land behind the folder link
is refused with a box naming the folder."""
import os
import shutil
import stat
import unittest

import harness
from scenario import DONE, RELEASE_KEY, SIGNED_BUILD, Scenario, copy_fixture, fixture

HOME_UPDATER = "C:\\ARKENFEL\\Arkenfel_Update.exe"
LINKED = "[C:\\ARKENFEL\\data] 폴더가 다른 위치로 연결되어 있어 파일을 설치할 수 없습니다."


class SquattedHome(Scenario):
    def outside(self):
        """Every file outside, with its bytes and mode."""
        found = {}
        for folder, _, files in os.walk(self.prefix.c("C:\\Victim\\")):
            for name in files:
                path = os.path.join(folder, name)
                with open(path, "rb") as f:
                    found[path] = (f.read(), stat.S_IMODE(os.lstat(path).st_mode))
        return found

    def test_a_home_filled_before_the_first_run_steers_nothing(self):
        self.start_server()
        self.publish("2026a", {"Arkenfel.exe": ("copy", fixture("fixture_sleeper.exe")),
                               "hard.bin": "the release's hard.bin",
                               "data/b.bin": "the release's b.bin"},
                     ["--sign", harness.win_path(RELEASE_KEY), "--serial", "7100"])
        # The victim's files, and what the planter left in the home.
        victim = self.prefix.c("C:\\Victim\\")
        os.makedirs(victim)
        for name in ("b.bin", "hard.bin", "keep.txt"):
            with open(os.path.join(victim, name), "wb") as f:
                f.write(b"victim's " + name.encode())
        home = self.prefix.home
        os.makedirs(os.path.join(home, "own_acl"))
        copy_fixture("fixture_sleeper.exe", os.path.join(home, "Arkenfel_Update.exe"))
        shutil.copy(os.path.join(harness.BIN, "planted", "msimg32.dll"), os.path.join(home, "msimg32.dll"))
        os.symlink(victim, os.path.join(home, "data"))
        os.link(os.path.join(victim, "hard.bin"), os.path.join(home, "hard.bin"))
        before = self.outside()

        source = self.prefix.install_updater(exe_name=SIGNED_BUILD, folder="C:\\Temp\\")
        env = {"WINEDLLOVERRIDES": self.prefix.env["WINEDLLOVERRIDES"] + ";msimg32=n,b"}
        run = self.prefix.drive([source], answers=["=1"], reads=["*:1017"], env=env)
        self.assertFalse(run.timed_out)

        # The planted updater was replaced by the genuine one, never started.
        self.assertFalse(os.path.exists(self.home_file("Arkenfel_Update.exe.record")))
        with open(self.home_file("Arkenfel_Update.exe"), "rb") as copy, open(self.prefix.c(source), "rb") as real:
            self.assertEqual(real.read(), copy.read())
        self.assertIn("Arkenfel_Update.exe", run.started())
        self.assertFalse(os.path.exists(self.home_file("msimg32.dll.record")), "the planted DLL was loaded")
        # Nothing outside was written, emptied or deleted, and no file came
        # through the link.
        self.assertEqual(before, self.outside())
        # Where the link could not be removed (Wine removes only what a link
        # leads to), the file behind it is refused, naming the folder, and
        # the run goes no further.
        self.assertTrue([box for box in run.boxes() if box.startswith(LINKED)], run.boxes())
        self.assertNotIn(DONE, run.texts(1017))
        # The hard-linked name no longer leads outside.
        if os.path.exists(self.home_file("hard.bin")):
            self.assertNotEqual(os.stat(os.path.join(victim, "hard.bin")).st_ino,
                                os.stat(self.home_file("hard.bin")).st_ino)


if __name__ == "__main__":
    unittest.main()
