"""A hostile update server or mirror against the whole updater: list entries
that lead out of the install folder, a Content-Length of -1, installation
lists and script lines that name programs outside it, and a server that
trickles (against the updater variant with the short progress rule of
tests/fixtures/transfer/short_waits.cpp)."""
import os
import time
import unittest

from scenario import DONE, Scenario, copy_fixture, fixture

CLIENT_RUN = "C:\\ARKENFEL\\Arkenfel.exe /run"
LENGTH_UNKNOWN = "파일 사이즈를 알 수 없습니다!"
LINE_FAILED = "\n해당 라인을 처리할 수 없습니다!"
FIREWALL_FAILED = "방화벽에 등록할 목록을 처리하는 중 문제가 발생하였습니다!"
FIREWALL = ("HKLM\\SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\"
            "StandardProfile\\AuthorizedApplications\\List")
SHORT_WAITS_BUILD = "Arkenfel_Update_short_waits.exe"
# The short rule: an answer within 3 s, 9 s of failed waiting per run.
TRICKLE_BOUND_S = 30


class HostileServer(Scenario):
    def setUp(self):
        super().setUp()
        self.start_server()
        copy_fixture("fixture_sleeper.exe", self.home_file("Arkenfel.exe"))

    def c_drive(self, name):
        return os.path.join(self.prefix.c("C:\\"), name)

    def rename_in_list(self, version, remote, local):
        """Gives a listed file another local path, as a hostile list would."""
        path = os.path.join(self.release.folder(version), "Arkenfel_List.ini")
        with open(path, "rb") as f:
            text = f.read()
        with open(path, "wb") as f:
            f.write(text.replace(b"\r\n%s=" % remote.encode(), b"\r\n%s|%s=" % (remote.encode(), local.encode())))

    def test_entries_leading_out_of_the_folder_write_nothing_there_and_start_the_client(self):
        self.prefix.install_updater()
        for version, local in (("2026a", "..\\escaped.txt"), ("2026b", "$system$\\..\\..\\escaped.txt")):
            self.publish(version, {"readme.txt": "v\r\n", "x.txt": "hostile\r\n"})
            self.rename_in_list(version, "x.txt", local)
            run = self.prefix.run_updater(name=version)
            self.assertNoUnansweredBoxes(run)
            self.assertFalse(os.path.exists(self.c_drive("escaped.txt")), local)
            self.assertFalse(os.path.exists(self.c_drive("escaped.txt_")), local)
            self.assertFalse([r for r in self.server.requests() if r.get("fn", "").endswith("/x.txt")])
        self.assertEqual([CLIENT_RUN] * 2, self.client_runs())

    def test_a_content_length_of_minus_one_leaves_the_installed_file_as_it_was(self):
        self.prefix.install_updater()
        self.write_home("bin/victim.dll", b"OLDBYTES")
        self.publish("2026a", {"bin/victim.dll": b"NEWBYTES"})
        self.server.plan("vantero", [{"file": "2026a/bin/victim.dll", "fault": "length", "value": "-1"}])
        run = self.prefix.run_updater(answers=[LENGTH_UNKNOWN + "=1"])
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([LENGTH_UNKNOWN], run.boxes())
        self.assertEqual(b"OLDBYTES", self.read_home("bin/victim.dll"))
        self.assertFalse(os.path.exists(self.home_file("bin/victim.dll_")))
        self.assertEqual([CLIENT_RUN], self.client_runs())

    def test_installation_lines_naming_programs_outside_the_folder_touch_nothing_there(self):
        self.prefix.install_updater()
        self.publish("2026a", {"readme.txt": "v\r\n"})
        self.assertNoUnansweredBoxes(self.prefix.run_updater(name="first"))
        copy_fixture("fixture_sleeper.exe", self.c_drive("recorder.exe"))
        copy_fixture("fixture_component.dll", self.c_drive("fixture_component.dll"))
        self.prefix.reg_add_key(FIREWALL)
        self.write_home("setup.bat", "..\\fixture_component.dll\r\n")
        self.write_home("firewall.ini", "..\\recorder.exe|Outside\r\nArkenfel.exe|Arkenfel\r\n")
        self.write_home("Arkenfel_Update.ini", "..\\recorder.exe\r\n..\\recorder.exe|$WAIT$:10000\r\n")
        run = self.prefix.run_updater(name="steps", answers=["Run Error: [123]=1", LINE_FAILED.strip() + "=1",
                                                              FIREWALL_FAILED + "=1"])
        self.assertNoUnansweredBoxes(run)
        self.assertFalse(os.path.exists(self.c_drive("fixture_component.dll.log")), "registered")
        self.assertFalse(os.path.exists(self.c_drive("recorder.exe.record")), "started")
        self.assertEqual("C:\\ARKENFEL\\Arkenfel.exe:*:Enabled:Arkenfel",
                         self.prefix.reg_query(FIREWALL, "C:\\ARKENFEL\\Arkenfel.exe"))
        self.assertIsNone(self.prefix.reg_query(FIREWALL, "C:\\ARKENFEL\\..\\recorder.exe"))
        boxes = run.boxes()
        self.assertEqual(3, len(boxes), boxes)
        self.assertTrue(boxes[0].strip().startswith(FIREWALL_FAILED), boxes)
        self.assertTrue(boxes[1].startswith("..\\recorder.exe\r\nRun Error: [123] "), boxes)
        self.assertEqual("..\\recorder.exe|$WAIT$:10000" + LINE_FAILED, boxes[2])

    def timed_run(self, name, **kw):
        start = time.monotonic()
        run = self.prefix.run_updater(name=name, answers=["=1"], **kw)
        seconds = time.monotonic() - start
        print("%s: the run ended %.1f s after it was started" % (name, seconds))
        return run, seconds

    def test_a_trickling_server_ends_the_run_in_time_and_what_came_is_continued(self):
        self.prefix.install_updater(exe_name=SHORT_WAITS_BUILD)
        big = os.urandom(600000)
        self.publish("2026a", {"data/big.pak": big, "readme.txt": "v\r\n"})

        self.server.plan("vantero", [{"file": "gateway.ini", "fault": "trickle_headers"}])
        gateway, seconds = self.timed_run("headers")
        self.assertNoUnansweredBoxes(gateway)
        self.assertLess(seconds, TRICKLE_BOUND_S)
        self.assertEqual(1, len(gateway.boxes()))
        self.assertEqual([CLIENT_RUN], self.client_runs())

        self.server.plan("vantero", [{"file": "2026a/data/big.pak", "kind": "range", "fault": "trickle",
                                      "after": 50000}])
        body, seconds = self.timed_run("body")
        self.assertNoUnansweredBoxes(body)
        self.assertLess(seconds, TRICKLE_BOUND_S)
        self.assertEqual(gateway.boxes(), body.boxes())  # WinINet's time-out text both times
        self.assertEqual([CLIENT_RUN] * 2, self.client_runs())
        partial = self.read_home("data/big.pak_")
        self.assertGreaterEqual(len(partial), 50000)
        self.assertEqual(big[:len(partial)], partial)
        self.assertTrue(os.path.exists(self.home_file("data/big.$ver$")))

        self.server.plan("vantero", [])
        before = len(self.server.requests())
        resumed = self.prefix.run_updater(name="resumed")
        self.assertNoUnansweredBoxes(resumed)
        self.assertIn(DONE, resumed.texts(1017))
        self.assertEqual(big, self.read_home("data/big.pak"))
        ranges = [r["range"] for r in self.server.requests()[before:]
                  if r.get("fn") == "vantero/2026a/data/big.pak" and r.get("kind") == "range"]
        self.assertEqual("bytes=%d-%d" % (len(partial), len(big) - 1), ranges[-1])


if __name__ == "__main__":
    unittest.main()
