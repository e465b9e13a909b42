"""The window as a person sees it during a download: its label texts, a
picture of it, and the keys it answers."""
import os
import re
import shutil
import subprocess
import threading
import time
import unittest

import harness
from scenario import DONE, Scenario

SCREENSHOTS = os.path.join(harness.BINARY_DIR, "screenshots")
ABOUT_TITLE = "Vantero_Update 정보"


class Window(Scenario):
    def setUp(self):
        super().setUp()
        self.start_server()
        self.prefix.install_updater()

    def test_labels_and_a_picture_mid_download(self):
        self.publish("2026a", {"data/one.pak": os.urandom(900000), "data/two.pak": os.urandom(500000)})
        shot = os.path.join(self.prefix.dir, "window.bmp")
        run = self.prefix.run_updater(screenshot=shot, screenshot_when="초 남음")
        self.assertNoUnansweredBoxes(run)
        self.assertIn("파일 수신 중...", run.texts(1017))
        self.assertIn("one.pak", run.texts(1015))
        self.assertTrue(any(re.fullmatch(r"\d+\.\d\d[KM]?B / 878\.90KB", t) for t in run.texts(1016)),
                        run.texts(1016))
        summary = [t for t in run.texts(1018) if t]
        self.assertTrue(summary and all(re.fullmatch(r"\S+ / 1\.33MB \(\S+/s / \d+초 남음\)", t) for t in summary),
                        summary)
        self.assertIn(DONE, run.texts(1017))

        pictures = run.of("screenshot")
        self.assertTrue(pictures and pictures[0]["ok"], pictures)
        self.assertGreaterEqual(pictures[0]["width"], 260)
        self.assertGreaterEqual(pictures[0]["height"], 330)
        os.makedirs(SCREENSHOTS, exist_ok=True)
        png = os.path.join(SCREENSHOTS, "main_window_downloading.png")
        subprocess.run(["convert", shot, png], check=True)
        print("\nscreenshot of the window mid-download: " + png)

    def test_escape_is_swallowed_and_f1_opens_the_about_box(self):
        self.publish("2026a", {"readme.txt": "x\r\n"})
        # The first gateway request stalls, so the window waits long enough for the keys.
        self.server.plan("vantero", [{"file": "gateway.ini", "nth": 1, "fault": "stall", "seconds": 8}])
        result = {}
        worker = threading.Thread(target=lambda: result.update(
            run=self.prefix.run_updater(answers=["Vantero Updater v=1"], timeout_ms=60000)))
        worker.start()
        self.wait_for_request("gateway.ini", "whole")
        time.sleep(0.5)
        self.prefix.keys("Escape")
        time.sleep(0.5)
        self.prefix.keys("F1")
        worker.join(timeout=120)
        run = result["run"]
        self.assertNoUnansweredBoxes(run)
        main_windows = [e for e in run.of("window") if e["title"] == ""]
        gone_early = [e for e in run.of("window-gone") if e["hwnd"] == main_windows[0]["hwnd"]]
        about = [e for e in run.of("dialog") if e["title"] == ABOUT_TITLE]
        self.assertEqual(1, len(about), run.of("dialog"))
        self.assertIn("Vantero Updater v", about[0]["text"])
        self.assertLess(about[0]["t"], gone_early[0]["t"], "the window outlived Escape")
        self.assertIn(DONE, run.texts(1017))


if __name__ == "__main__":
    unittest.main()
