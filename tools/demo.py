#!/usr/bin/python3
"""Local demo: a sample release served over HTTPS by the reference nginx
server, installed by the built updater in a Wine prefix whose C:\\ARKENFEL\\
holds the updater. The first run installs the release; a second run finds
everything up to date. --fresh starts again from an empty prefix.

Usage: demo.py BUILD_DIR [--fresh]
"""
import os
import random
import re
import subprocess
import sys
import time

BUILD_DIR = os.path.abspath(sys.argv[1])
os.environ["ARKENFEL_BINARY_DIR"] = BUILD_DIR
os.environ["ARKENFEL_SOURCE_DIR"] = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(os.environ["ARKENFEL_SOURCE_DIR"], "tests", "e2e", "lib"))
import harness  # noqa: E402

VERSION = "2026.12a"
STATUS = 1017
DEMO_KEY = os.path.join(BUILD_DIR, "demo-key", "release.pem")


def sample_release(release):
    """A few files of the client: the client itself, a DLL with a version
    block, data without a version (one in a subfolder), a Korean readme."""
    rng = random.Random(2026)
    release.put(VERSION, "Arkenfel.exe", source=os.path.join(harness.BIN, "fixture_sleeper.exe"))
    release.put(VERSION, "bin/engine.dll", source=os.path.join(harness.BIN, "discovery_version_1005.dll"))
    release.put(VERSION, "data/world.pak", bytes(rng.getrandbits(8) for _ in range(6 * 1024 * 1024)))
    release.put(VERSION, "data/maps/harbor.map", bytes(rng.getrandbits(8) for _ in range(1536 * 1024)))
    release.put(VERSION, "readme.txt", "아르켄펠에 오신 것을 환영합니다.\r\n")


def fetched_files(access_log):
    """(file, bytes) of every download in the nginx access log lines given."""
    files = []
    for line in access_log:
        match = re.search(r'"GET /fs_c_get\.php\?fn=vantero/(\S+) HTTP/[\d.]+" (\d+) (\d+) range="([^"]*)"', line)
        if match and match.group(2) == "206" and match.group(1) != VERSION + "/Arkenfel_List.ini" \
                and match.group(1) != VERSION + "/Arkenfel_Release.sig" and not match.group(1).endswith("gateway.ini"):
            files.append((match.group(1).split("/", 1)[1], int(match.group(3))))
    return files


def main():
    fresh = "--fresh" in sys.argv[2:]
    prefix = harness.Prefix("demo", reuse=not fresh)
    release = harness.Release(os.path.join(prefix.dir, "release"))
    signature = os.path.join(release.folder(VERSION), "Arkenfel_Release.sig")
    if not os.path.exists(signature):
        print("publishing the sample release %s, signed with the demo key, with arkenfel_release_list.exe ..."
              % VERSION)
        sample_release(release)
        release.publish(prefix, VERSION, ["--sign", harness.win_path(DEMO_KEY)])
    installed = prefix.c("C:\\ARKENFEL\\Arkenfel_Update.exe")
    if not os.path.exists(installed) or open(installed, "rb").read() != open(
            os.path.join(harness.BIN, "Arkenfel_Update.exe"), "rb").read():
        prefix.install_updater()

    server = harness.NginxServer(release.top, prefix.tls, os.path.join(prefix.dir, "nginx"))
    try:
        log_start = len(server.access_log())
        shot = os.path.join(prefix.dir, "window.bmp")
        if os.path.exists(shot):
            os.remove(shot)
        print("running C:\\ARKENFEL\\Arkenfel_Update.exe against https://localhost:%d ..." % harness.server_port())
        started = time.time()
        run = prefix.run_updater(screenshot=shot, screenshot_when="초 남음", answers=["=1"])
        elapsed = time.time() - started
        fetched = fetched_files(server.access_log()[log_start:])
    finally:
        server.stop()
        prefix.close(keep=True)

    statuses = [t for t in run.texts(STATUS) if t]
    print()
    print("files fetched:   %d" % len(fetched))
    for name, size in fetched:
        print("  %-28s %10d bytes" % (name, size))
    print("bytes fetched:   %d" % sum(size for _, size in fetched))
    with open(signature, "rb") as f:
        serial = re.search(rb"^serial (\d+)\r$", f.read(), re.M).group(1).decode()
    print("signature:       Arkenfel_Release.sig, serial %s, checked by the updater's built-in demo key" % serial)
    print("time:            %.1f s" % elapsed)
    print("status texts:    " + " → ".join(dict.fromkeys(statuses)))
    print("final status:    %s" % (statuses[-1] if statuses else "(none)"))
    if "모든 파일이 최신 버전입니다." in statuses:
        print("outcome:         everything is up to date")
    elif "업데이트를 성공적으로 완료하였습니다." in statuses:
        print("outcome:         the release is installed")
    else:
        print("outcome:         the update did not finish (see the status texts and boxes)")
    for text in run.boxes():
        print("message box:     %s" % text.replace("\n", " "))
    if os.path.exists(shot):
        png = os.path.join(BUILD_DIR, "demo-window.png")
        subprocess.run(["convert", shot, png], check=True)
        print("screenshot:      %s (the window mid-download)" % png)
    print("installed files: %s" % prefix.c("C:\\ARKENFEL\\"))
    return 0 if not run.timed_out and run.exit_code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
