#!/usr/bin/python3
"""Delivery over a simulated real link: the reference nginx server behind
link_proxy.py (a round trip and a rate cap), reached by the updater through
the system proxy setting of its Wine prefix and by curl through the same
proxy. For many small files and for one large file it prints, side by side:
the updater built with the test release key (a signed release, its files in
flight together) and without a key, curl fetching the same files one after
another over one connection and the release's files N at a time (--parallel
--parallel-max N, HTTP/1.1 as the updater speaks it), plain WinINet doing the
same as curl one at a time in one session (bench/wininet_floor.cpp: the
platform's own rate), and the link's floors: one at a time (bytes / rate + one
round trip per file) and N in flight (max(bytes / rate, files x round trip /
N)), for the updater with the copy loop's 50 ms pause per file. With them the
bytes that came down the link, the connections (tunnels) and requests each
used, and the fetch phase: from the first request of a release file to its
last byte, as the server's log times them, plus one round trip.

Usage: run_link_bench.py BUILD_DIR [--rtt-ms 50] [--rate-mbit 100] [--files 200]
                         [--file-kib 4] [--large-mib 32]
"""
import argparse
import json
import os
import random
import subprocess
import sys
import threading
import time
import urllib.request

BUILD_DIR = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else ""
os.environ["ARKENFEL_BINARY_DIR"] = BUILD_DIR
os.environ["ARKENFEL_SOURCE_DIR"] = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(os.environ["ARKENFEL_SOURCE_DIR"], "tests", "e2e", "lib"))
sys.dont_write_bytecode = True  # the sources' folders stay clean
import harness  # noqa: E402
import re  # noqa: E402

COPY_PAUSE = 0.05
# The files a keyed updater keeps in flight at once.
FILES_IN_FLIGHT = 8
# A request in the reference server's log: its name, when it ended and how long it took.
TIMED = re.compile(r'fn=vantero/(\S+) HTTP/.* t=([0-9.]+)/([0-9.]+)')
KEY = os.path.join(BUILD_DIR, "fixtures", "integrity", "test_release_key.pem")
INTERNET_SETTINGS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"


def watch_removal(path, finished):
    """Appends to `finished` the time `path` disappears after it was seen, or
    stops when something else is appended first."""
    seen = False
    while not finished:
        exists = os.path.exists(path)
        if seen and not exists:
            finished.append(time.time())
            return
        seen = seen or exists
        time.sleep(0.005)


class Link:
    """link_proxy.py on a free port, tunnelling the updater's address to the server."""

    def __init__(self, work, server_port, rtt_ms, rate_mbit):
        self.port_file = os.path.join(work, "proxy.port")
        self.proc = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(os.path.dirname(__file__), "link_proxy.py"),
             "--port-file", self.port_file, "--rtt-ms", str(rtt_ms), "--rate-mbit", str(rate_mbit),
             "--connect-to", "localhost:%d=127.0.0.1:%d" % (harness.server_port(), server_port)],
            stdin=subprocess.DEVNULL, stdout=open(os.path.join(work, "proxy.out"), "w"), stderr=subprocess.STDOUT,
            start_new_session=True)
        for _ in range(100):
            if os.path.exists(self.port_file):
                with open(self.port_file) as f:
                    self.port = int(f.read())
                return
            time.sleep(0.05)
        raise RuntimeError("the link simulator did not start")

    def stats(self):
        """The link's counters once no tunnel is open any more (the client's
        pooled connections close when its process ends)."""
        for _ in range(100):
            with urllib.request.urlopen("http://127.0.0.1:%d/stats" % self.port, timeout=5) as answer:
                stats = json.load(answer)
            if not stats["open"]:
                break
            time.sleep(0.1)
        return stats

    def stop(self):
        self.proc.terminate()
        self.proc.wait(timeout=10)


class Row:
    def __init__(self, name, seconds, down, connections, requests, floor, floor_n, phase, note=""):
        self.name, self.seconds, self.down, self.connections = name, seconds, down, connections
        self.requests, self.floor, self.floor_n, self.phase, self.note = requests, floor, floor_n, phase, note


class Bench:
    def __init__(self, args, work):
        self.args, self.work = args, work
        self.rate = args.rate_mbit * 1e6 / 8
        self.rtt = args.rtt_ms / 1000.0
        self.tool = harness.Prefix("linkbench_tool")
        self.release = harness.Release(os.path.join(work, "www"))
        self.server = harness.NginxServer(self.release.top, self.tool.tls, os.path.join(work, "nginx"),
                                          port=harness.free_port())
        self.link = Link(work, self.server.port, args.rtt_ms, args.rate_mbit)

    def close(self):
        self.link.stop()
        self.server.stop()
        self.tool.close()

    def publish(self, version, files):
        for rel, data in files.items():
            self.release.put(version, rel, data)
        key = harness.win_path(KEY)
        self.release.publish(self.tool, version, ["--sign", key, "--serial", "7000", "--index-threshold", "0"])

    def names(self, version, signed):
        """Everything an updater fetches for a fresh install, in its order."""
        names = ["gateway.ini", version + "/Arkenfel_List.ini"] + ([version + "/Arkenfel_Release.sig"] if signed else [])
        return names + sorted(version + "/" + rel for rel in self.files)

    def floor(self, names):
        total = sum(os.path.getsize(os.path.join(self.release.top, n)) for n in names)
        return total / self.rate + self.rtt * len(names)

    def floor_in_flight(self, pauses):
        """The release's files N at a time: max(bytes / rate, files x round trip / N), and the copy loop's pauses."""
        payload = sum(len(d) for d in self.files.values())
        return pauses + max(payload / self.rate, len(self.files) * self.rtt / FILES_IN_FLIGHT)

    def fetch_phase(self, lines):
        """From the first request of a release file to its last byte: the
        server's first start and last end, and a round trip (half before the
        server sees the request, half for the last byte to come back)."""
        spans = []
        for line in lines:
            timed = TIMED.search(line)
            if timed and timed.group(1).startswith(self.version + "/data/"):
                end, took = float(timed.group(2)), float(timed.group(3))
                spans.append((end - took, end))
        if not spans:
            return float("nan")
        return max(end for _, end in spans) - min(start for start, _ in spans) + self.rtt

    def measured(self, name, floor, floor_n, run):
        """Runs `run` (returning seconds and a note, given the tunnels' opening
        times); returns its Row with the link's and the server's counts."""
        before = self.link.stats()
        logged = len(self.server.access_log())
        seconds, note = run(lambda: self.link.stats()["opened"][len(before["opened"]):])
        after = self.link.stats()
        lines = self.server.access_log()[logged:]
        return Row(name, seconds, after["down"] - before["down"], after["connections"] - before["connections"],
                   len(lines), floor, floor_n, self.fetch_phase(lines), note)

    def updater(self, version, signed):
        prefix = harness.Prefix("linkbench_%s_%s" % (version, "key" if signed else "nokey"))
        try:
            prefix.install_updater(exe_name="Arkenfel_Update_signed.exe" if signed else "Arkenfel_Update.exe")
            prefix.reg_add(INTERNET_SETTINGS, "ProxyEnable", "1", "REG_DWORD")
            prefix.reg_add(INTERNET_SETTINGS, "ProxyServer", "127.0.0.1:%d" % self.link.port)

            def run(opened):
                # Timed from outside, as a player's line sees it: from the first
                # request to the end of the copy loop, which deletes the staged
                # list last. (The UI driver's text hook would slow every window
                # message of the updater, so it is left out: reads=[].)
                staged_list = prefix.c("C:\\ARKENFEL\\Arkenfel_List.ini_")
                finished = []
                watch = threading.Thread(target=watch_removal, args=(staged_list, finished), daemon=True)
                launched = time.time()
                watch.start()
                driven = prefix.run_updater(answers=["=1"], reads=[], timeout_ms=900000)
                finished.append(None)
                watch.join()
                missing = [rel for rel, data in self.files.items()
                           if not os.path.exists(os.path.join(prefix.home, rel))
                           or os.path.getsize(os.path.join(prefix.home, rel)) != len(data)]
                if driven.boxes() or missing or not isinstance(finished[0], float):
                    return float("nan"), "did not install: %s" % (driven.boxes() or missing[:3])
                first = min(opened())
                return finished[0] - first, "start-up %.1f s before the first request" % (first - launched)

            pauses = COPY_PAUSE * len(self.files)
            floor = self.floor(self.names(version, signed)) + pauses
            return self.measured("updater, %s" % ("with key" if signed else "without key"), floor,
                                 self.floor_in_flight(pauses), run)
        finally:
            prefix.close()

    def curl_row(self, name, names, options, note):
        """curl fetching `names` through the link with `options`."""
        config = os.path.join(self.work, "curl.urls")
        with open(config, "w") as f:
            for fetched in names:
                f.write('url = "https://localhost:%d/fs_c_get.php?fn=vantero/%s"\noutput = "/dev/null"\n'
                        % (harness.server_port(), fetched))

        def run(opened):
            started = time.time()
            subprocess.run(["curl", "-sf", "--no-progress-meter"] + options +
                           ["--proxy", "http://127.0.0.1:%d" % self.link.port, "--cacert",
                            os.path.join(self.tool.tls, "ca.pem"), "-K", config], check=True)
            return time.time() - started, note
        return self.measured(name, self.floor(names), self.floor_in_flight(0), run)

    def curl(self, version):
        return self.curl_row("curl, one connection", self.names(version, True), [],
                             "the same files as the updater with key")

    def curl_parallel(self, version):
        """The release's files only, N at a time over N connections."""
        return self.curl_row("curl, %d in parallel" % FILES_IN_FLIGHT,
                             sorted(version + "/" + rel for rel in self.files),
                             ["--http1.1", "--parallel", "--parallel-max", str(FILES_IN_FLIGHT)],
                             "the release's files, %d at a time" % FILES_IN_FLIGHT)

    def wininet(self, version):
        """Plain WinINet GETs of the same files in one session, through the same
        proxy setting: the platform's floor for the updater with key."""
        names = self.names(version, True)
        prefix = harness.Prefix("linkbench_wininet_%s" % version)
        try:
            prefix.reg_add(INTERNET_SETTINGS, "ProxyEnable", "1", "REG_DWORD")
            prefix.reg_add(INTERNET_SETTINGS, "ProxyServer", "127.0.0.1:%d" % self.link.port)
            with open(prefix.c("C:\\urls.txt"), "w") as f:
                for name in names:
                    f.write("https://localhost:%d/fs_c_get.php?fn=vantero/%s\n" % (harness.server_port(), name))

            def run(opened):
                done = prefix.wine([os.path.join(harness.BIN, "wininet_floor.exe"), "@C:\\urls.txt",
                                    "C:\\body.bin"], timeout=900)
                took = re.search(r" in ([0-9.]+) s:", done.stdout.decode(errors="replace"))
                return float(took.group(1)), "the same files as the updater with key, one session"
            return self.measured("plain WinINet", self.floor(names), self.floor_in_flight(0), run)
        finally:
            prefix.close()

    def handshake(self):
        """Bytes down for one TLS connection that fetches next to nothing (gateway.ini)."""
        def run(opened):
            subprocess.run(["curl", "-sf", "-o", "/dev/null", "--proxy", "http://127.0.0.1:%d" % self.link.port,
                            "--cacert", os.path.join(self.tool.tls, "ca.pem"),
                            "https://localhost:%d/fs_c_get.php?fn=vantero/gateway.ini" % harness.server_port()],
                           check=True)
            return 0, ""
        return self.measured("", 0, 0, run).down

    def case(self, title, version, files):
        self.files, self.version = files, version
        self.publish(version, files)
        payload = sum(len(d) for d in files.values())
        rows = [self.updater(version, True), self.updater(version, False), self.curl(version),
                self.curl_parallel(version), self.wininet(version)]
        keyed, curl_n, wininet = rows[0], rows[3], rows[4]
        handshake = self.handshake()
        print()
        print("%s (payload %d bytes), %g ms round trip, %g Mbit/s:" % (title, payload, self.args.rtt_ms,
                                                                       self.args.rate_mbit))
        print("  %-22s %8s %8s %8s %8s %8s %8s %11s %8s %10s %6s %8s" % (
            "", "time", "floor", "x floor", "floor N", "x fl. N", "fetch", "bytes down", "x payld", "+handshake",
            "conns", "requests"))
        for row in rows:
            print("  %-22s %7.2fs %7.2fs %8.2f %7.2fs %8.2f %7.2fs %11d %8.2f %10.2f %6d %8d   %s"
                  % (row.name, row.seconds, row.floor, row.seconds / row.floor, row.floor_n,
                     row.seconds / row.floor_n, row.phase, row.down, row.down / payload,
                     (row.down - handshake) / payload, row.connections, row.requests, row.note))
        print("  floor: bytes / rate + one round trip per file; floor N: max(bytes / rate, files x round trip / %d)"
              " of the release's files; the updater's both add the copy loop's %d ms per file"
              % (FILES_IN_FLIGHT, COPY_PAUSE * 1000))
        print("  fetch: first request of a release file to its last byte (server's log + one round trip)")
        print("  +handshake: (bytes down - one TLS connection's %d bytes) / payload" % handshake)
        print("  updater with key: fetch / curl %d in parallel's fetch %.2f; time / floor N %.2f;"
              " time / plain WinINet %.2f, bytes down / plain WinINet %.2f"
              % (FILES_IN_FLIGHT, keyed.phase / curl_n.phase, keyed.seconds / keyed.floor_n,
                 keyed.seconds / wininet.seconds, keyed.down / wininet.down))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build")
    parser.add_argument("--rtt-ms", type=float, default=50.0)
    parser.add_argument("--rate-mbit", type=float, default=100.0)
    parser.add_argument("--files", type=int, default=200)
    parser.add_argument("--file-kib", type=int, default=4)
    parser.add_argument("--large-mib", type=int, default=32)
    args = parser.parse_args()
    work = os.path.join(BUILD_DIR, "linkbench")
    subprocess.run(["rm", "-rf", work], check=True)
    os.makedirs(work)
    bench = Bench(args, work)
    try:
        rng = random.Random(20)
        small = {"data/f%04d.dat" % i: rng.randbytes(args.file_kib * 1024) for i in range(args.files)}
        bench.case("%d files of %d KiB, a fresh install" % (args.files, args.file_kib), "small", small)
        bench.case("one file of %d MiB, a fresh install" % args.large_mib, "large",
                   {"data/world.pak": rng.randbytes(args.large_mib * 1048576)})
    finally:
        bench.close()
        subprocess.run(["rm", "-rf", work])
    return 0


if __name__ == "__main__":
    sys.exit(main())
