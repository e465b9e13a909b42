"""A repair run ("repair:"): with a release key every installed file is read
whole and held to the signed release, so a damaged middle that a normal run
never sees is found and mended by its blocks, a deleted and a truncated file
come back, files the release does not name stay as they are, and a repair
of an intact installation asks for nothing but the steering texts. Without
a key a repair compares every file with the disk as a run without a local
list does."""
import os
import random

from scenario import DONE, MACHINE_KEY, RELEASE_KEY, SIGNED_BUILD, UP_TO_DATE, Scenario
import harness

TOOL_ARGS = ["--index-threshold", "65536", "--block-size", "4096"]
ARCHIVE = "data/world.pak"
CHECKING = "설치된 파일을 검사하고 있습니다..."
SKIN = "styles/Vantero.cjstyles"
STEERING = ["gateway.ini", "Arkenfel_List.ini", "Arkenfel_Release.sig"]


def format_size(count):
    """The window's size text: two decimals, truncated, units by 1024."""
    units, unit, quotient, shift = ["B", "KB", "MB", "GB"], 0, count, 0
    while quotient > 1024:
        quotient, shift, unit = quotient >> 10, shift + 10, unit + 1
    return "%d.%02d%s" % (quotient, ((count - (quotient << shift)) * 100) >> shift, units[unit])


def release_files(rng):
    return {
        ARCHIVE: bytes(rng.getrandbits(8) for _ in range(600000)),
        "data/maps/harbor.map": bytes(rng.getrandbits(8) for _ in range(50000)),
        "data/sounds.dat": bytes(rng.getrandbits(8) for _ in range(30000)),
        "readme.txt": "복구 테스트\r\n",
    }


class RepairScenario(Scenario):
    def setUp(self):
        super().setUp()
        self.start_server()

    def asked_for(self, since):
        """Release files the server was asked for after request `since`, by name
        below the version folder, with the bytes sent for each."""
        asked = {}
        for r in self.server.requests()[since:]:
            if r.get("kind") in ("whole", "range") and r.get("fn", "").startswith("vantero/"):
                name = r["fn"][len("vantero/"):]
                name = name[len("2026a/"):] if name.startswith("2026a/") else name
                asked[name] = asked.get(name, 0) + r.get("bytes", 0)
        return asked

    def damage_middle(self):
        """Three stretches of the archive overwritten in place: same size, and
        away from the fingerprint's samples (the first 8 bytes of each KiB)."""
        data = bytearray(self.read_home(ARCHIVE))
        for at in (200 * 1024 + 100, 340 * 1024 + 100, 490 * 1024 + 100):
            data[at:at + 700] = os.urandom(700)
        self.write_home(ARCHIVE, bytes(data))


class SignedRepair(RepairScenario):
    def publish_signed(self, files):
        self.publish("2026a", files, TOOL_ARGS + ["--include-list", "--sign", harness.win_path(RELEASE_KEY),
                                                  "--serial", "7000"])

    def test_a_damaged_skin_is_replaced_through_the_helper_and_the_restarted_updater_goes_on_repairing(self):
        files = release_files(random.Random(29))
        files[SKIN] = os.urandom(3000)
        self.prefix.install_updater(exe_name=SIGNED_BUILD)
        self.publish_signed(files)
        self.assertNoUnansweredBoxes(self.prefix.run_updater(name="install"))
        self.damage_middle()
        skin = bytearray(self.read_home(SKIN))
        skin[500] ^= 0xff  # between the fingerprint's samples
        self.write_home(SKIN, bytes(skin))
        run = self.prefix.run_updater(["repair:"], name="repair", timeout_ms=120000)
        self.assertNoUnansweredBoxes(run)
        self.assertEqual(1, run.started().count("UpdateHelper.exe"), run.started())
        self.assertEqual(2, run.started().count("Arkenfel_Update.exe"), run.started())
        self.assertEqual(2, run.texts(1017).count(CHECKING), "the restarted updater checks again")
        self.assertSameFile("2026a", SKIN)
        self.assertSameFile("2026a", ARCHIVE)
        self.assertIsNone(self.prefix.reg_query(MACHINE_KEY, "RepairPending"))

    def test_finds_and_mends_by_blocks_what_a_normal_run_never_sees_and_leaves_the_rest(self):
        files = release_files(random.Random(27))
        self.prefix.install_updater(exe_name=SIGNED_BUILD)
        self.publish_signed(files)
        self.assertNoUnansweredBoxes(self.prefix.run_updater(name="install"))
        self.damage_middle()
        seen = len(self.server.requests())
        normal = self.prefix.run_updater(name="normal")
        self.assertNoUnansweredBoxes(normal)
        self.assertEqual(set(STEERING), set(self.asked_for(seen)), "a normal run sees no damage")
        self.assertNotEqual(files[ARCHIVE], self.read_home(ARCHIVE))

        os.remove(self.home_file("data/maps/harbor.map"))
        with open(self.home_file("data/sounds.dat"), "r+b") as f:
            f.truncate(10000)
        self.write_home("screenshots/shot0001.bmp", b"BM" + os.urandom(5000))
        self.write_home("data/player.cfg", "volume=3\r\n")
        seen = len(self.server.requests())
        run = self.prefix.run_updater(["repair:"], name="repair")
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([], run.boxes())
        statuses = run.texts(1017)
        self.assertIn(CHECKING, statuses)
        self.assertIn(DONE, statuses)
        self.assertLess(statuses.index(CHECKING), statuses.index(DONE))
        # The check shows its progress as a download does: against every byte of the release.
        listing = os.path.getsize(os.path.join(self.release.folder("2026a"), "Arkenfel_List.ini"))
        every_byte = format_size(listing + sum(len(b if isinstance(b, bytes) else b.encode("cp949"))
                                               for b in files.values()))
        self.assertTrue([t for t in run.texts(1018) if (" / %s (" % every_byte) in t and "초 남음" in t],
                        run.texts(1018))
        for rel in files:
            self.assertSameFile("2026a", rel)
        asked = self.asked_for(seen)
        self.assertEqual(set(STEERING + [ARCHIVE + ".blkidx", ARCHIVE, "data/maps/harbor.map", "data/sounds.dat"]),
                         set(asked))
        # The archive by its damaged blocks alone: each 700-byte stretch touches at most two.
        archive = [r for r in self.server.requests()[seen:] if r.get("fn", "").endswith("2026a/" + ARCHIVE)]
        self.assertEqual({"range"}, {r.get("kind") for r in archive})
        self.assertLessEqual(asked[ARCHIVE], 6 * 4096)
        self.assertEqual(b"volume=3\r\n", self.read_home("data/player.cfg"))
        self.assertEqual(5002, os.path.getsize(self.home_file("screenshots/shot0001.bmp")))

        seen = len(self.server.requests())
        again = self.prefix.run_updater(["repair:"], name="intact")
        self.assertNoUnansweredBoxes(again)
        self.assertIn(UP_TO_DATE, again.texts(1017))
        self.assertEqual(set(STEERING), set(self.asked_for(seen)), "an intact installation costs the steering texts")


class UnkeyedRepair(RepairScenario):
    def test_compares_with_the_disk_not_the_local_list_and_cannot_see_a_damaged_middle(self):
        files = release_files(random.Random(28))
        self.prefix.install_updater()
        self.publish("2026a", files, TOOL_ARGS + ["--include-list"])
        self.assertNoUnansweredBoxes(self.prefix.run_updater(name="install"))
        self.damage_middle()
        os.remove(self.home_file("data/maps/harbor.map"))
        # A local list that lies about a file on disk decides nothing in a repair.
        listing = self.home_file("Arkenfel_List.ini")
        with open(listing, encoding="cp949") as f:
            text = f.read()
        lines = [line if not line.startswith("data\\sounds.dat") and not line.startswith("data/sounds.dat")
                 else line.replace("|30000|", "|30001|") for line in text.splitlines()]
        self.assertNotEqual(text.splitlines(), lines, "the list names data/sounds.dat")
        with open(listing, "w", encoding="cp949") as f:
            f.write("\n".join(lines) + "\n")
        seen = len(self.server.requests())
        run = self.prefix.run_updater(["repair:"], name="repair")
        self.assertNoUnansweredBoxes(run)
        self.assertIn(DONE, run.texts(1017))
        self.assertNotIn(CHECKING, run.texts(1017))
        self.assertEqual({"gateway.ini", "Arkenfel_List.ini", "data/maps/harbor.map"}, set(self.asked_for(seen)))
        self.assertSameFile("2026a", "data/maps/harbor.map")
        self.assertNotEqual(files[ARCHIVE], self.read_home(ARCHIVE), "no hash to find it by")
