#!/usr/bin/python3
"""What keeps a WinINet connection alive between requests, under this Wine:
keepalive_probe.exe makes a series of GETs in one way or another against the
reference nginx server, once directly on loopback and once through the link
simulator (the system proxy setting, as the updater reaches a real line); the
table shows the connections each series took (from the server's access log)
and the tunnels and bytes down the link.

Usage: run_keepalive_probe.py BUILD_DIR [--idle]   (--idle adds two series
with a minute's pause, about two minutes more)
"""
import os
import random
import subprocess
import sys

sys.dont_write_bytecode = True  # the sources' folders stay clean
from run_link_bench import BUILD_DIR, INTERNET_SETTINGS, Link  # noqa: E402
import harness  # noqa: E402

SMALL, MEDIUM, LARGE = "probe/small.dat", "probe/medium.dat", "probe/large.dat"
SIZES = {SMALL: 4096, MEDIUM: 65536, LARGE: 4 * 1048576}
CASES = [
    ("bodies read to the end, an InternetOpen per request", SMALL, 20, []),
    ("bodies read to the end, one InternetOpen for all", SMALL, 20, ["--session", "once"]),
    ("bodies left unread, 4 KiB files", SMALL, 20, ["--body", "abandon"]),
    ("bodies left unread, 64 KiB files", MEDIUM, 10, ["--body", "abandon"]),
    ("bodies left unread, 4 MiB files", LARGE, 5, ["--body", "abandon"]),
    ("ranges of 1 KiB of a 4 MiB file", LARGE, 10, ["--range", "0-1023"]),
    ("Connection: close asked for", SMALL, 10, ["--header", "Connection: close"]),
    ("INTERNET_FLAG_KEEP_CONNECTION added", SMALL, 10, ["--flags", "A4E00002"]),
]
IDLE_CASES = [
    ("55 s idle between two requests", SMALL, 2, ["--pause-ms", "55000"]),
    ("66 s idle between two requests", SMALL, 2, ["--pause-ms", "66000"]),
]


def server_connections(lines):
    return len({line.rsplit(" conn=", 1)[1].split("/")[0] for line in lines if " conn=" in line})


def main():
    work = os.path.join(BUILD_DIR, "keepaliveprobe")
    subprocess.run(["rm", "-rf", work], check=True)
    prefix = harness.Prefix("keepaliveprobe")
    release = harness.Release(os.path.join(work, "www"))
    rng = random.Random(17)
    for name, size in SIZES.items():
        release.put("", name, rng.randbytes(size))
    server = harness.NginxServer(release.top, prefix.tls, os.path.join(work, "nginx"), port=harness.free_port())
    link = Link(work, server.port, 50.0, 100.0)
    probe = os.path.join(harness.BIN, "keepalive_probe.exe")
    try:
        def series(name, count, args, through_link):
            prefix.reg_add(INTERNET_SETTINGS, "ProxyEnable", "1" if through_link else "0", "REG_DWORD")
            prefix.reg_add(INTERNET_SETTINGS, "ProxyServer", "127.0.0.1:%d" % link.port)
            port = harness.server_port() if through_link else server.port
            url = "https://localhost:%d/fs_c_get.php?fn=vantero/%s" % (port, name)
            before, logged = link.stats(), len(server.access_log())
            ran = prefix.wine([probe, url, str(count)] + args, timeout=300, check=False)
            after = link.stats()
            if ran.returncode != 0:
                return "failed: " + ran.stdout.decode(errors="replace").strip()
            if not through_link:
                return "%d" % server_connections(server.access_log()[logged:])
            return "%d tunnels, %d KiB down a request" % (after["connections"] - before["connections"],
                                                          (after["down"] - before["down"]) / count / 1024)

        print("%-58s %-12s %s" % ("series of GETs (with the updater's flags unless said)", "direct: conns",
                                  "through the link (50 ms, 100 Mbit/s)"))
        for label, name, count, args in CASES + (IDLE_CASES if "--idle" in sys.argv[2:] else []):
            print("%-58s %-12s %s" % ("%s (%d)" % (label, count), series(name, count, args, False),
                                     series(name, count, args, True)), flush=True)
    finally:
        link.stop()
        server.stop()
        prefix.close()
        subprocess.run(["rm", "-rf", work])
    return 0


if __name__ == "__main__":
    sys.exit(main())
