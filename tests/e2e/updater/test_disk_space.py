"""Room on the drive, checked before any file is asked for: the home on a
small filesystem of its own (a tmpfs mounted on the prefix's C:\\ARKENFEL,
which Wine asks for its free space), a release that cannot fit ends the run
before a request for a file with a box that says what is needed and what is
free, and the client starts as after any failed fetch; a release that fits
installs."""
import os
import re
import subprocess

from scenario import DONE, Scenario, copy_fixture

NO_ROOM = "디스크 공간이 부족하여 업데이트를 받을 수 없습니다."
MiB = 1024 * 1024


class DiskSpace(Scenario):
    def setUp(self):
        super().setUp()
        os.makedirs(self.prefix.home, exist_ok=True)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % (4 * MiB), "tmpfs", self.prefix.home],
                                 capture_output=True)
        if mounted.returncode != 0:
            self.skipTest("a small filesystem cannot be mounted here: %s" % mounted.stderr.decode().strip())
        self.addCleanup(lambda: subprocess.run(["umount", "-l", self.prefix.home], capture_output=True))
        self.start_server()
        self.prefix.install_updater()
        copy_fixture("fixture_sleeper.exe", self.home_file("Arkenfel.exe"))

    def file_requests(self, since):
        return [r["fn"] for r in self.server.requests()[since:]
                if r.get("kind") in ("whole", "range") and "/data/" in r.get("fn", "")]

    def test_a_release_that_cannot_fit_asks_for_no_file_and_one_that_fits_installs(self):
        free = os.statvfs(self.prefix.home)
        room = free.f_bavail * free.f_frsize  # about 2.4 MiB left beside the updater and the client
        self.publish("2026a", {"data/big.pak": os.urandom(room // 2 + 100 * 1024), "readme.txt": "x\r\n"})
        run = self.prefix.run_updater(answers=[NO_ROOM + "=1"], name="too_big")
        self.assertNoUnansweredBoxes(run)
        self.assertEqual(1, len(run.boxes()), run.boxes())
        box = run.boxes()[0]
        self.assertTrue(box.startswith(NO_ROOM), box)
        needed, left = re.search(r"필요한 공간: ([\d.]+[KM]B), 남은 공간: ([\d.]+[KM]B)", box).groups()
        self.assertTrue(needed.endswith("MB") and float(needed[:-2]) > room / MiB, box)
        self.assertLess(float(left[:-2]) * (MiB if left.endswith("MB") else 1024), room + 1)
        self.assertIn(NO_ROOM, run.texts(1017))
        self.assertEqual([], self.file_requests(0), "no file asked for")
        self.assertEqual(["C:\\ARKENFEL\\Arkenfel.exe /run"], self.client_runs())
        self.assertFalse(os.path.exists(self.home_file("data/big.pak_")))

        self.publish("2026b", {"data/big.pak": os.urandom(room // 2 - 200 * 1024), "readme.txt": "x\r\n"})
        seen = len(self.server.requests())
        fits = self.prefix.run_updater(name="fits")
        self.assertNoUnansweredBoxes(fits)
        self.assertEqual([], fits.boxes())
        self.assertIn(DONE, fits.texts(1017))
        self.assertSameFile("2026b", "data/big.pak")
        self.assertEqual(["vantero/2026b/data/big.pak"], sorted(set(self.file_requests(seen))))
