"""Files moved, split, merged or swapped between releases, published with the
previous release at hand, seen from outside: each costs only its new bytes,
taken from the installed files its index names; a seed that is gone or
changed costs only the blocks it would have given, and one that leaves the
install folder is never read."""
import os
import random
import struct

import harness
from scenario import DONE, Scenario
from scenario import SIGNING_KEYS as KEYS

BLOCK = 4096
TOOL_ARGS = ["--index-threshold", "65536", "--block-size", str(BLOCK)]


def noise(seed, size):
    return random.Random(seed).randbytes(size)


def fetched_bytes(requests, fn):
    """Bytes the updater received of fn (whole and ranged GETs)."""
    return sum(r.get("bytes", 0) for r in requests
               if r.get("fn", "").endswith("/" + fn) and r.get("kind") in ("whole", "range"))


def with_seeds(index, seeds):
    """A block index as the tool writes it, naming other seeds."""
    count = struct.unpack_from("<I", index, 28)[0]
    blocks = index[:32 + 20 * count]
    tail = struct.pack("<I", len(seeds)) + b"".join(struct.pack("<H", len(s)) + s for s in seeds)
    return blocks[:8] + struct.pack("<I", 2) + blocks[12:] + tail


class SeedScenario(Scenario):
    exe_name = None

    def setUp(self):
        super().setUp()
        self.start_server()
        if self.exe_name:
            self.prefix.install_updater(exe_name=self.exe_name)
        else:
            self.prefix.install_updater()

    def update(self, version, files, previous, name):
        self.publish(version, files, tool_args=TOOL_ARGS + ["--previous", self.win_folder(previous)])
        seen = len(self.server.requests())
        run = self.prefix.run_updater(name=name)
        self.assertNoUnansweredBoxes(run)
        self.assertIn(DONE, run.texts(1017))
        for rel in files:
            self.assertSameFile(version, rel)
        return self.server.requests()[seen:]

    def win_folder(self, version):
        return harness.win_path(self.release.folder(version))


class Seeds(SeedScenario):
    def test_moved_split_merged_and_swapped_files_cost_their_new_bytes_and_bad_seeds_only_theirs(self):
        a, b, c, d = noise(1, 300000), noise(2, 260000), noise(3, 200000), noise(4, 180000)
        e, f = noise(5, 150000), noise(6, 170000)
        first = {"data/a.pak": a, "data/b.pak": b, "data/c.pak": c, "data/d.pak": d, "data/e.pak": e,
                 "data/f.pak": f, "readme.txt": "v1\r\n"}
        self.publish("2026a", first, tool_args=TOOL_ARGS)
        self.assertNoUnansweredBoxes(self.prefix.run_updater(name="first"))

        # a moved and renamed; b split in two with new bytes at the cut (at no
        # block boundary); d merged into c behind new bytes; e and f swapped,
        # so each one's seed is replaced in the same run.
        cut = 130001
        n1, n2, n3 = noise(7, 1500), noise(8, 2500), noise(9, 3000)
        second = {"pak/moved.pak": a, "data/b1.pak": b[:cut] + n1, "data/b2.pak": n2 + b[cut:],
                  "data/c.pak": c + n3 + d, "data/e.pak": f, "data/f.pak": e, "readme.txt": "v2\r\n"}
        requests = self.update("2026b", second, "2026a", "second")
        with open(os.path.join(self.release.folder("2026b"), "Arkenfel_List.ini"), encoding="cp949") as listing:
            announced = {line.split("=")[0]: line.strip().split("=")[1].split("|") for line in listing if "=" in line}
        self.assertEqual("1", announced["pak/moved.pak"][5])  # the list announces the seed
        self.assertEqual("1", announced["data/c.pak"][5])
        with open(os.path.join(self.release.folder("2026b"), "data/c.pak.blkidx"), "rb") as index:
            seeds = index.read()[32 + 20 * ((len(second["data/c.pak"]) + BLOCK - 1) // BLOCK):]
        self.assertEqual(struct.pack("<IH", 1, 10) + b"data/d.pak", seeds, "its old copy is no seed of its own")
        indexes = sum(int(announced[rel][4]) for rel in second if rel.endswith(".pak"))
        new_bytes = len(n1) + len(n2) + len(n3)
        got = sum(fetched_bytes(requests, rel) for rel in second if rel.endswith(".pak"))
        index_got = sum(fetched_bytes(requests, rel + ".blkidx") for rel in second if rel.endswith(".pak"))
        self.assertEqual(indexes, index_got)
        # Each stretch of new bytes spoils at most the block on either side of it.
        self.assertLessEqual(got, new_bytes + 6 * BLOCK, requests)
        self.assertEqual(0, fetched_bytes(requests, "pak/moved.pak"))
        self.assertEqual(0, fetched_bytes(requests, "data/e.pak") + fetched_bytes(requests, "data/f.pak"))

        # g takes from moved.pak (gone from disk now) and b1.pak (changed in
        # one stretch); h's index, served by a hostile server, names a seed
        # beside the install folder that holds h's bytes exactly.
        g = a[1000:101000] + b[10000:110000] + noise(10, 2000)
        h = noise(11, 90000)
        third = dict(second, **{"data/g.pak": g, "data/h.pak": h, "readme.txt": "v3\r\n"})
        os.remove(self.home_file("pak/moved.pak"))
        b1 = bytearray(self.read_home("data/b1.pak"))
        b1[50000:60000] = noise(12, 10000)
        self.write_home("data/b1.pak", bytes(b1))
        with open(os.path.join(self.prefix.home, "..", "outside.pak"), "wb") as outside:
            outside.write(h)
        self.publish("2026c", third, tool_args=TOOL_ARGS + ["--previous", self.win_folder("2026b")])
        folder = self.release.folder("2026c")
        with open(os.path.join(folder, "data/h.pak.blkidx"), "rb") as index:
            hostile = with_seeds(index.read(), [b"../outside.pak", b"data\\..\\..\\outside.pak"])
        with open(os.path.join(folder, "data/h.pak.blkidx"), "wb") as index:
            index.write(hostile)
        list_path = os.path.join(folder, "Arkenfel_List.ini")
        with open(list_path, "rb") as listing:
            text = listing.read()
        key = b"data/h.pak="
        start = text.index(key)
        end = text.index(b"\r\n", start)
        fields = text[start + len(key):end].split(b"|")[:4] + [str(len(hostile)).encode(), b"2"]
        with open(list_path, "wb") as listing:
            listing.write(text[:start] + key + b"|".join(fields) + text[end:])

        seen = len(self.server.requests())
        run = self.prefix.run_updater(name="third")
        self.assertNoUnansweredBoxes(run)
        self.assertIn(DONE, run.texts(1017))
        requests = self.server.requests()[seen:]
        self.assertSameFile("2026c", "data/g.pak")
        self.assertSameFile("2026c", "data/h.pak")
        # g: the new bytes, the stretch only the missing seed held and the
        # changed stretch, each rounded out to blocks.
        expected = 2000 + 100000 + 10000
        self.assertGreaterEqual(fetched_bytes(requests, "data/g.pak"), expected)
        self.assertLessEqual(fetched_bytes(requests, "data/g.pak"), expected + 6 * BLOCK)
        # Fetched as a file without blocks is: one range from its first byte to its last.
        ranges = [r["range"] for r in requests if r.get("fn", "").endswith("/data/h.pak") and r.get("kind") == "range"]
        self.assertEqual(["bytes=0-%d" % (len(h) - 1)], ranges, "nothing taken from outside the folder")


class SignedSeeds(SeedScenario):
    exe_name = "Arkenfel_Update_signed.exe"

    def test_signed_seeded_indexes_serve_files_in_flight_that_swap_and_move(self):
        key = ["--sign", harness.win_path(os.path.join(KEYS, "test_release_key.pem"))]
        e, f, g = noise(21, 150000), noise(22, 170000), noise(23, 120000)
        self.publish("2026a", {"data/e.pak": e, "data/f.pak": f, "data/g.pak": g},
                     tool_args=TOOL_ARGS + key + ["--serial", "7000"])
        self.assertNoUnansweredBoxes(self.prefix.run_updater(name="first"))
        second = {"data/e.pak": f, "data/f.pak": e, "data/g.pak": g, "moved/g2.pak": g}
        self.publish("2026b", second, tool_args=TOOL_ARGS + key + ["--serial", "7001", "--previous",
                                                                    self.win_folder("2026a")])
        seen = len(self.server.requests())
        run = self.prefix.run_updater(name="second")
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([], run.boxes())
        for rel in second:
            self.assertSameFile("2026b", rel)
        requests = self.server.requests()[seen:]
        # Each signed index came (the signature holds them, seeds and all), no byte of a file.
        self.assertEqual(0, sum(fetched_bytes(requests, rel) for rel in second), requests)
        self.assertEqual({"data/e.pak.blkidx", "data/f.pak.blkidx", "moved/g2.pak.blkidx"},
                         {r["fn"].split("2026b/")[1] for r in requests if r.get("fn", "").endswith(".blkidx")})
