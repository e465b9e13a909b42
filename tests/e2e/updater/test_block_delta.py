"""A changed archive fetched by its blocks, seen from outside: the first
install fetches it whole without asking for its index; the next release
costs ranged requests of the changed blocks only, and an updater killed in
the middle of them continues in the next run without asking for a byte
twice. The installed file is the release's."""
import os
import random
import re
import threading
import time

from scenario import DONE, Scenario

TOOL_ARGS = ["--index-threshold", "65536", "--block-size", "4096"]
ARCHIVE = "data/world.pak"


def ranges_of(requests, fn):
    """(first, last) of every completed ranged request for fn."""
    spans = []
    for r in requests:
        if r.get("fn", "").endswith(fn) and r.get("kind") == "range" and r.get("status") == 206:
            first, last = map(int, re.match(r"bytes=(\d+)-(\d+)", r["range"]).groups())
            if r.get("bytes") == last - first + 1:
                spans.append((first, last))
    return spans


class BlockDelta(Scenario):
    def setUp(self):
        super().setUp()
        self.start_server()
        self.prefix.install_updater()

    def test_a_changed_archive_costs_its_changed_blocks_even_across_a_killed_run(self):
        rng = random.Random(14)
        old = bytes(rng.getrandbits(8) for _ in range(400000))
        self.publish("2026a", {ARCHIVE: old, "readme.txt": "v1\r\n"}, tool_args=TOOL_ARGS)
        first = self.prefix.run_updater(name="first")
        self.assertNoUnansweredBoxes(first)
        self.assertSameFile("2026a", ARCHIVE)
        self.assertFalse([r for r in self.server.requests() if r.get("fn", "").endswith(".blkidx")])

        new = bytearray(old)
        new[150000:170000] = bytes(rng.getrandbits(8) for _ in range(20000))
        new[300000:330000] = bytes(rng.getrandbits(8) for _ in range(30000))
        new[5000:5000] = bytes(rng.getrandbits(8) for _ in range(700))
        self.publish("2026b", {ARCHIVE: bytes(new), "readme.txt": "v1\r\n"}, tool_args=TOOL_ARGS)
        # From the second range on every attempt stalls; the updater is killed
        # while it waits for the second range.
        self.server.plan("vantero", [{"file": "2026b/" + ARCHIVE, "kind": "range", "nth": list(range(2, 12)),
                                      "fault": "stall", "seconds": 60, "after_headers": True}])
        seen = len(self.server.requests())
        worker = threading.Thread(target=lambda: self.prefix.run_updater(name="killed"))
        worker.start()
        self.wait_for_request("2026b/" + ARCHIVE, "range")
        self.wait_for_next_request(seen)
        self.prefix.wine(["taskkill", "/f", "/im", "Arkenfel_Update.exe"], check=False)
        worker.join(timeout=200)
        killed = self.server.requests()[seen:]
        done_before = ranges_of(killed, "2026b/" + ARCHIVE)
        self.assertTrue(done_before)

        self.server.plan("vantero", [])
        seen = len(self.server.requests())
        run = self.prefix.run_updater(name="resumed")
        self.assertNoUnansweredBoxes(run)
        self.assertIn(DONE, run.texts(1017))
        self.assertSameFile("2026b", ARCHIVE)
        resumed = self.server.requests()[seen:]
        after = ranges_of(resumed, "2026b/" + ARCHIVE)
        self.assertTrue(after)
        for first, last in after:
            for a, b in done_before:
                self.assertTrue(last < a or first > b, "range %d-%d fetched twice" % (first, last))
        archive = [r for r in killed + resumed if r.get("fn", "").endswith("2026b/" + ARCHIVE)]
        self.assertEqual({"range"}, {r.get("kind") for r in archive}, "no whole GET of the archive")
        fetched = sum(r.get("bytes", 0) for r in archive)
        self.assertLess(fetched, len(new) // 4)
        self.assertFalse(os.path.exists(self.home_file("data/world.pak_")))
        self.assertFalse(os.path.exists(self.home_file("data/world.$ver$")))

    def wait_for_next_request(self, seen, timeout=60):
        """Until a request after the archive's first finished range has begun
        (the log names a request when it ends; its beginning only by number)."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            log = self.server.requests()[seen:]
            first = [r["seq"] for r in log if r.get("fn", "").endswith("2026b/" + ARCHIVE) and r.get("kind") == "range"]
            if first and any(r.get("event") == "begin" and r["seq"] > first[0] for r in log):
                return
            time.sleep(0.05)
        self.fail("no request after the archive's first range")
