"""The installation steps a release brings: component registration, firewall
exceptions and the post-update script, and when their failures are shown."""
import os
import unittest

from scenario import DONE, UPDATER_KEY, Scenario, fixture

FIREWALL = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\%s\\AuthorizedApplications\\List"
PROFILES = ("DomainProfile", "StandardProfile")
FIREWALL_FAILED = "방화벽에 등록할 목록을 처리하는 중 문제가 발생하였습니다!"
PROGID = "HKCR\\ArkenfelFixture.Component.1\\CLSID"
SCRIPT = ("installer.exe 0 C:\\ARKENFEL\\installer.record|$WAIT$:20000|"
          "$REG_PATH$:HKEY_CURRENT_USER\\Software\\Arkenfel\\Installer\\Version|$REG_VALUE$:1.2.0.0\r\n")


def release_with_steps():
    return {
        "Arkenfel.exe": ("copy", fixture("fixture_sleeper.exe")),
        "bin/launcher.exe": ("copy", fixture("fixture_version_ko.exe")),
        "fixture_component.dll": ("copy", fixture("fixture_component.dll")),
        "installer.exe": ("copy", fixture("fixture_sleeper.exe")),
        "setup.bat": "fixture_component.dll\r\n\r\n",
        "firewall.ini": "Arkenfel.exe|Arkenfel\r\nbin\\launcher.exe\r\n",
        "Arkenfel_Update.ini": SCRIPT,
    }


class PostInstall(Scenario):
    def setUp(self):
        super().setUp()
        self.start_server()
        self.prefix.install_updater()

    def firewall_entry(self, profile, program):
        return self.prefix.reg_query(FIREWALL % profile, program)

    def test_a_release_registers_components_opens_the_firewall_and_runs_its_script(self):
        for profile in PROFILES:
            self.prefix.reg_add_key(FIREWALL % profile)
        self.publish("2026a", release_with_steps())
        run = self.prefix.run_updater()
        self.assertNoUnansweredBoxes(run)
        self.assertIn(DONE, run.texts(1017))

        self.assertEqual("{6F1C3A52-8D0E-4B7A-9C41-2A7D5E9B1F03}", self.prefix.reg_query(PROGID, "").upper())
        self.assertEqual("C:\\ARKENFEL\\", self.prefix.reg_query(UPDATER_KEY, "InstallPath"))
        client, launcher = "C:\\ARKENFEL\\Arkenfel.exe", "C:\\ARKENFEL\\bin\\launcher.exe"
        for profile in PROFILES:
            self.assertEqual(client + ":*:Enabled:Arkenfel", self.firewall_entry(profile, client))
            self.assertTrue(self.firewall_entry(profile, launcher).startswith(launcher + ":*:Enabled:"))
            self.assertNotEqual(launcher + ":*:Enabled:", self.firewall_entry(profile, launcher))
        with open(self.home_file("installer.record"), encoding="cp949") as record:
            self.assertIn("installer.exe 0 C:\\ARKENFEL\\installer.record", record.read())
        for consumed in ("setup.bat", "firewall.ini", "Arkenfel_Update.ini"):
            self.assertFalse(os.path.exists(self.home_file(consumed)), consumed)

    def test_firewall_failure_is_shown_when_up_to_date_but_not_after_a_copy(self):
        # A fresh prefix has no firewall lists, so every firewall line fails.
        self.publish("2026a", {"Arkenfel.exe": ("copy", fixture("fixture_sleeper.exe")),
                               "firewall.ini": "Arkenfel.exe|Arkenfel\r\n"})
        after_copy = self.prefix.run_updater(name="after_copy")
        self.assertNoUnansweredBoxes(after_copy)
        self.assertEqual([], after_copy.boxes())
        self.assertFalse(os.path.exists(self.home_file("firewall.ini")))

        self.publish("2026b", {"Arkenfel.exe": ("copy", fixture("fixture_sleeper.exe"))})
        self.write_home("firewall.ini", "Arkenfel.exe|Arkenfel\r\n")
        up_to_date = self.prefix.run_updater(name="up_to_date", answers=[FIREWALL_FAILED + "=1"])
        self.assertNoUnansweredBoxes(up_to_date)
        self.assertEqual([FIREWALL_FAILED], [text.strip() for text in up_to_date.boxes()])


if __name__ == "__main__":
    unittest.main()
