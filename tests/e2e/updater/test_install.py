"""A release installed from scratch, the next run finding everything current,
and a later release that changes two files: against the reference nginx
server and against the test server."""
import os
import unittest

from scenario import DONE, REGISTERING, UP_TO_DATE, Scenario, fixture

BIG = os.urandom(700 * 1024 + 123)


def first_release():
    return {
        "readme.txt": "아르켄펠에 오신 것을 환영합니다\r\n",
        "data/big.pak": BIG,
        "data/maps/field.map": os.urandom(5000),
        "Arkenfel.exe": ("copy", fixture("fixture_sleeper.exe")),
        "bin/launcher.exe": ("copy", fixture("fixture_version_ko.exe")),
    }


class FreshInstallAgainstReferenceServer(Scenario):
    server_kind = "nginx"

    def test_installs_every_file_then_finds_them_current(self):
        self.publish("2026a", first_release())
        self.prefix.install_updater()
        self.start_server()

        run = self.prefix.run_updater()
        self.assertNoUnansweredBoxes(run)
        self.assertEqual(0, run.exit_code)
        self.assertIn(DONE, run.texts(1017))
        self.assertEqual(REGISTERING, run.last_text(1017))
        for rel in first_release():
            self.assertSameFile("2026a", rel)
        self.assertFalse(os.path.exists(self.home_file("Arkenfel_List.ini_")))
        self.assertEqual([], [f for f in os.listdir(self.prefix.home) if f.endswith("_")])

        before = len(self.server.access_log())
        again = self.prefix.run_updater(name="again")
        self.assertNoUnansweredBoxes(again)
        self.assertIn(UP_TO_DATE, again.texts(1017))
        asked = " ".join(self.server.access_log()[before:])
        self.assertIn("gateway.ini", asked)
        self.assertIn("Arkenfel_List.ini", asked)
        self.assertNotIn("big.pak", asked)


class ReleaseChangingTwoFiles(Scenario):
    def test_fetches_only_the_changed_files(self):
        self.start_server()
        self.publish("2026a", first_release())
        self.prefix.install_updater()
        self.assertNoUnansweredBoxes(self.prefix.run_updater())

        changed = first_release()
        changed["readme.txt"] = "새 버전입니다\r\n"
        changed["data/maps/field.map"] = os.urandom(6000)
        self.publish("2026b", changed)
        first_request = len(self.server.requests())

        run = self.prefix.run_updater(name="second")
        self.assertNoUnansweredBoxes(run)
        self.assertIn(DONE, run.texts(1017))
        fetched = sorted({r["fn"] for r in self.server.requests()[first_request:] if r.get("fn")})
        self.assertEqual(sorted(["vantero/gateway.ini", "vantero/2026b/Arkenfel_List.ini",
                                 "vantero/2026b/readme.txt", "vantero/2026b/data/maps/field.map"]), fetched)
        for rel in changed:
            self.assertSameFile("2026b", rel)


if __name__ == "__main__":
    unittest.main()
