"""The updater replacing itself and its skin through the helper program, and
the passes that follow until the whole release is in place."""
import os
import unittest

import harness
from scenario import DONE, UPDATER_KEY, Scenario

SKIN = "styles/Vantero.cjstyles"


def new_updater_bytes():
    """A different but working updater: trailing bytes do not stop a PE file from running."""
    with open(os.path.join(harness.BIN, "Arkenfel_Update.exe"), "rb") as f:
        return f.read() + b"release 2026b"


class SelfUpdate(Scenario):
    def setUp(self):
        super().setUp()
        self.start_server()
        self.prefix.install_updater()

    def ranged_requests_for(self, name):
        return [r for r in self.server.requests() if r.get("fn", "").endswith(name) and r.get("kind") == "range"]

    def assertHelperChain(self, run, passes):
        self.assertNoUnansweredBoxes(run)
        self.assertEqual(passes, run.started().count("Arkenfel_Update.exe"), run.started())
        self.assertEqual(passes - 1, run.started().count("UpdateHelper.exe"), run.started())

    def test_new_updater_is_put_in_place_by_the_helper_and_the_next_pass_installs_the_rest(self):
        new_updater = new_updater_bytes()
        self.prefix.reg_add(UPDATER_KEY, "InstallPath", "C:\\ARKENFEL\\")
        self.publish("2026b", {"Arkenfel_Update.exe": new_updater, "readme.txt": "v2\r\n",
                               "data/pack.dat": os.urandom(4000)})
        run = self.prefix.run_updater(timeout_ms=120000)
        self.assertHelperChain(run, passes=2)
        self.assertEqual(new_updater, self.read_home("Arkenfel_Update.exe"))
        self.assertSameFile("2026b", "readme.txt")
        self.assertSameFile("2026b", "data/pack.dat")
        self.assertFalse(os.path.exists(self.home_file("Arkenfel_Update.exe_")))
        self.assertTrue(os.path.exists(self.home_file("UpdateHelper.exe")))
        self.assertEqual(1, len(self.ranged_requests_for("Arkenfel_Update.exe")))
        self.assertIn(DONE, run.texts(1017))

    def test_changed_skin_with_a_local_list_hands_off_once_and_then_installs_the_rest(self):
        self.publish("2026a", {SKIN: os.urandom(3000), "data/x.dat": "one\r\n"}, tool_args=["--include-list"])
        self.assertNoUnansweredBoxes(self.prefix.run_updater(name="first"))
        self.assertTrue(os.path.exists(self.home_file("Arkenfel_List.ini")))

        self.publish("2026b", {SKIN: os.urandom(3000), "data/x.dat": "two\r\n"}, tool_args=["--include-list"])
        before = len(self.server.requests())
        run = self.prefix.run_updater(name="second", timeout_ms=120000)
        self.assertHelperChain(run, passes=2)
        self.assertSameFile("2026b", SKIN)
        self.assertSameFile("2026b", "data/x.dat")
        skin_downloads = [r for r in self.server.requests()[before:]
                          if r.get("fn") == "vantero/2026b/" + SKIN and r.get("kind") == "range"]
        self.assertEqual(1, len(skin_downloads))
        self.assertSameFile("2026b", "Arkenfel_List.ini")

    def test_updater_and_skin_together_take_three_passes_and_fetch_each_once(self):
        new_updater = new_updater_bytes()
        self.publish("2026b", {"Arkenfel_Update.exe": new_updater, SKIN: os.urandom(2500),
                               "readme.txt": "v2\r\n"})
        run = self.prefix.run_updater(timeout_ms=150000)
        # The skin comes last: the helper restarts the old updater, which then
        # puts its own staged copy in place with the pair of paths.
        self.assertHelperChain(run, passes=3)
        self.assertEqual(new_updater, self.read_home("Arkenfel_Update.exe"))
        self.assertSameFile("2026b", SKIN)
        self.assertSameFile("2026b", "readme.txt")
        self.assertEqual(1, len(self.ranged_requests_for("Arkenfel_Update.exe")))
        self.assertEqual(1, len(self.ranged_requests_for("Vantero.cjstyles")))


if __name__ == "__main__":
    unittest.main()
