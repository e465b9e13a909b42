"""Texts from the server that no sound release holds: a script line of
thousands of fields, and a component name that cannot be a file."""
import os
import unittest

from scenario import REGISTERING, UPDATER_KEY, Scenario, copy_fixture

LINE_FAILED = "\n해당 라인을 처리할 수 없습니다!"


class HostileTexts(Scenario):
    def setUp(self):
        super().setUp()
        self.start_server()
        self.prefix.install_updater()
        self.publish("2026a", {"readme.txt": "v1\r\n"})
        self.assertNoUnansweredBoxes(self.prefix.run_updater(name="first"))

    def test_a_failed_script_line_of_thousands_of_fields_is_shown_cut_and_the_run_ends(self):
        line = "nosuch.exe" + "|$WAIT$:1" * 5000
        self.write_home("Arkenfel_Update.ini", line + "\r\n")
        run = self.prefix.run_updater(name="script", answers=[LINE_FAILED.strip() + "=1"])
        self.assertNoUnansweredBoxes(run)
        self.assertEqual(0, run.exit_code)
        [box] = run.boxes()
        self.assertTrue(box.endswith(" ..." + LINE_FAILED), box[-80:])
        self.assertTrue(line.startswith(box[:-len(" ..." + LINE_FAILED)]))
        self.assertLess(len(box), 400)
        self.assertFalse(os.path.exists(self.home_file("Arkenfel_Update.ini")))

    def test_a_component_name_of_ten_thousand_characters_fails_at_once_and_the_run_goes_on(self):
        # Registered here before, so the name would be looked up in its type library.
        self.prefix.reg_add(UPDATER_KEY, "InstallPath", "C:\\ARKENFEL\\")
        self.write_home("setup.bat", "a" * 10000 + ".dll\r\n")
        copy_fixture("fixture_sleeper.exe", self.home_file("recorder.exe"))
        self.write_home("Arkenfel_Update.ini", "recorder.exe|$WAIT$:10000\r\n")
        run = self.prefix.run_updater(name="setup", timeout_ms=45000)
        self.assertNoUnansweredBoxes(run)
        self.assertEqual(REGISTERING, run.last_text(1017))
        self.assertEqual(["Arkenfel_Update.exe", "recorder.exe"], run.started())
        self.assertTrue(os.path.exists(self.home_file("recorder.exe.record")))
        self.assertFalse(os.path.exists(self.home_file("setup.bat")))


if __name__ == "__main__":
    unittest.main()
