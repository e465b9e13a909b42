#!/usr/bin/python3
"""Local demo: a sample release served over HTTPS by the reference nginx
server, installed by the built updater in a Wine prefix whose C:\\ARKENFEL\\
holds the updater. The first run installs the release; a second run finds
everything up to date. --fresh starts again from an empty prefix.
--second-release publishes a next release in which the large archive changed
in a few places, runs the updater on it and prints the bytes it fetched for
the archive against its size (the rest comes from the installed copy).
--repair damages the installed archive in its middle (where a normal run
never looks) and deletes the readme, then runs the updater with "repair:"
and prints what the repair fetched.

Usage: demo.py BUILD_DIR [--fresh] [--second-release | --repair]
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
SECOND_VERSION = "2026.12b"
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


def second_release(release):
    """The first release again, with data/world.pak changed in three places:
    two stretches overwritten and bytes inserted near its start, which
    shifts every later block."""
    first = release.folder(VERSION)
    for folder, _, names in os.walk(first):
        for name in names:
            rel = os.path.relpath(os.path.join(folder, name), first)
            if rel.startswith("Arkenfel_") or rel.endswith(".blkidx"):
                continue
            release.put(SECOND_VERSION, rel, source=os.path.join(folder, name))
    with open(os.path.join(first, "data", "world.pak"), "rb") as f:
        pak = bytearray(f.read())
    rng = random.Random(2027)
    pak[3000000:3020000] = bytes(rng.getrandbits(8) for _ in range(20000))
    pak[5000000:5008000] = bytes(rng.getrandbits(8) for _ in range(8000))
    pak[100000:100000] = bytes(rng.getrandbits(8) for _ in range(5000))
    release.put(SECOND_VERSION, "data/world.pak", bytes(pak))


def archive_requests(access_log, version):
    """(index bytes, range bytes, ranges) the log shows for the archive of `version`."""
    index = ranges = count = 0
    for line in access_log:
        match = re.search(r'"GET /fs_c_get\.php\?fn=vantero/(\S+) HTTP/[\d.]+" (\d+) (\d+)', line)
        if not match:
            continue
        if match.group(1) == version + "/data/world.pak.blkidx":
            index += int(match.group(3))
        elif match.group(1) == version + "/data/world.pak" and match.group(2) == "206":
            ranges += int(match.group(3))
            count += 1
    return index, ranges, count


def run_second_release(prefix, release):
    """Publishes and installs the second release; prints what the archive cost."""
    if not os.path.exists(os.path.join(release.folder(SECOND_VERSION), "Arkenfel_Release.sig")):
        print("publishing the second release %s (data/world.pak changed in 3 places), signed ..." % SECOND_VERSION)
        second_release(release)
    release.publish(prefix, SECOND_VERSION, ["--sign", harness.win_path(DEMO_KEY)])
    server = harness.NginxServer(release.top, prefix.tls, os.path.join(prefix.dir, "nginx"))
    try:
        log_start = len(server.access_log())
        print("running C:\\ARKENFEL\\Arkenfel_Update.exe against https://localhost:%d ..." % harness.server_port())
        run = prefix.run_updater(answers=["=1"])
        index, ranges, count = archive_requests(server.access_log()[log_start:], SECOND_VERSION)
    finally:
        server.stop()
        prefix.close(keep=True)
    size = os.path.getsize(os.path.join(release.folder(SECOND_VERSION), "data", "world.pak"))
    installed = prefix.c("C:\\ARKENFEL\\data\\world.pak")
    same = os.path.exists(installed) and open(installed, "rb").read() == open(
        os.path.join(release.folder(SECOND_VERSION), "data", "world.pak"), "rb").read()
    print()
    print("data/world.pak:  %d bytes; fetched %d (block index %d + %d bytes in %d ranges), %.1f %% of the file"
          % (size, index + ranges, index, ranges, count, 100.0 * (index + ranges) / size))
    print("installed copy:  %s" % ("the new release's bytes" if same else "DIFFERENT from the release"))
    for text in run.boxes():
        print("message box:     %s" % text.replace("\n", " "))
    return 0 if same and not run.timed_out and run.exit_code == 0 else 1


def run_repair(prefix, release):
    """Damages the installation, repairs it and prints what that cost."""
    version = SECOND_VERSION if os.path.exists(
        os.path.join(release.folder(SECOND_VERSION), "Arkenfel_Release.sig")) else VERSION
    pak = prefix.c("C:\\ARKENFEL\\data\\world.pak")
    with open(pak, "r+b") as f:
        rng = random.Random(2028)
        for kib in (1500, 3100, 4700):  # 900 bytes after a KiB's first 8, which the fingerprint samples
            f.seek(kib * 1024 + 100)
            f.write(bytes(rng.getrandbits(8) for _ in range(900)))
    readme = prefix.c("C:\\ARKENFEL\\readme.txt")
    if os.path.exists(readme):
        os.remove(readme)
    print("damaged data/world.pak in 3 places (2,700 bytes) and deleted readme.txt")
    server = harness.NginxServer(release.top, prefix.tls, os.path.join(prefix.dir, "nginx"))
    try:
        log_start = len(server.access_log())
        print("running C:\\ARKENFEL\\Arkenfel_Update.exe repair: against https://localhost:%d ..."
              % harness.server_port())
        started = time.time()
        run = prefix.run_updater(["repair:"], answers=["=1"])
        elapsed = time.time() - started
        log = server.access_log()[log_start:]
        index, ranges, count = archive_requests(log, version)
        fetched = [(name, size) for name, size in fetched_files(log, version) if not name.startswith("data/world.pak")]
    finally:
        server.stop()
        prefix.close(keep=True)
    same = all(open(prefix.c("C:\\ARKENFEL\\" + rel.replace("/", "\\")), "rb").read() ==
               open(os.path.join(release.folder(version), rel), "rb").read() for rel in ("data/world.pak", "readme.txt")
               if os.path.exists(prefix.c("C:\\ARKENFEL\\" + rel.replace("/", "\\"))))
    statuses = [t for t in run.texts(STATUS) if t]
    print()
    print("status texts:    " + " → ".join(dict.fromkeys(statuses)))
    print("data/world.pak:  fetched %d bytes (block index %d + %d bytes in %d ranges) of %d"
          % (index + ranges, index, ranges, count, os.path.getsize(pak)))
    for name, size in fetched:
        print("  %-28s %10d bytes" % (name, size))
    print("time:            %.1f s" % elapsed)
    print("installed files: %s" % ("the release's bytes again" if same and os.path.exists(readme)
                                   else "DIFFERENT from the release"))
    for text in run.boxes():
        print("message box:     %s" % text.replace("\n", " "))
    return 0 if same and os.path.exists(readme) and not run.timed_out and run.exit_code == 0 else 1


def fetched_files(access_log, version=VERSION):
    """(file, bytes) of every download in the nginx access log lines given."""
    files = []
    for line in access_log:
        match = re.search(r'"GET /fs_c_get\.php\?fn=vantero/(\S+) HTTP/[\d.]+" (\d+) (\d+) range="([^"]*)"', line)
        if match and match.group(2) == "206" and match.group(1) != version + "/Arkenfel_List.ini" \
                and match.group(1) != version + "/Arkenfel_Release.sig" and not match.group(1).endswith("gateway.ini"):
            files.append((match.group(1).split("/", 1)[1], int(match.group(3))))
    return files


def main():
    fresh = "--fresh" in sys.argv[2:]
    prefix = harness.Prefix("demo", reuse=not fresh)
    release = harness.Release(os.path.join(prefix.dir, "release"))
    if "--second-release" in sys.argv[2:]:
        if not os.path.exists(prefix.c("C:\\ARKENFEL\\data\\world.pak")):
            print("run the demo once without --second-release first: it installs the first release")
            return 2
        return run_second_release(prefix, release)
    if "--repair" in sys.argv[2:]:
        if not os.path.exists(prefix.c("C:\\ARKENFEL\\data\\world.pak")):
            print("run the demo once without --repair first: it installs the first release")
            return 2
        return run_repair(prefix, release)
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
