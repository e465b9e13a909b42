"""The maintenance build: with the server switched off the updater asks
nothing and starts the client."""
import os
import unittest

from scenario import Scenario, copy_fixture


class MaintenanceBuild(Scenario):
    def test_starts_the_client_without_a_request(self):
        self.publish("2026a", {"readme.txt": "x\r\n"})
        self.start_server()
        self.prefix.install_updater(exe_name="Arkenfel_Update_maintenance.exe")
        copy_fixture("fixture_sleeper.exe", self.home_file("Arkenfel.exe"))
        run = self.prefix.run_updater()
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([], run.boxes())
        self.assertEqual([], self.server.requests())
        self.assertIn("Arkenfel.exe", run.started())
        with open(self.home_file("Arkenfel.exe.record"), encoding="cp949") as record:
            self.assertEqual("C:\\ARKENFEL\\Arkenfel.exe /run", record.read().strip())
        self.assertFalse(os.path.exists(self.home_file("readme.txt")))


if __name__ == "__main__":
    unittest.main()
