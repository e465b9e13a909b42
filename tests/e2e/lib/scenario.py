"""Base of the end-to-end scenarios: a fresh prefix, a release root and an
update server per test, all removed again afterwards."""
import os
import shutil
import time
import unittest

import harness

UP_TO_DATE = "모든 파일이 최신 버전입니다."
DONE = "업데이트를 성공적으로 완료하였습니다."
REGISTERING = "라이브러리를 레지스트리에 등록하고 있습니다."
RETRY_LATER = "\n종료 후 재시도 바랍니다!"
UPDATER_KEY = "HKCU\\SOFTWARE\\VANTERO\\UPDATER"  # InstallPath
MACHINE_KEY = "HKLM\\SOFTWARE\\VANTERO\\UPDATER"  # RunOnce, the serials and the root set (the 32-bit view)
# the test keys and the builds that have them compiled in (tests/fixtures/integrity)
SIGNING_KEYS = os.path.join(harness.BINARY_DIR, "fixtures", "integrity")
NOT_INSTALLED = "\n서명이 확인되지 않은 업데이트는 설치하지 않습니다."
# The updater built with the test release key, and the key's private half.
SIGNED_BUILD = "Arkenfel_Update_signed.exe"
RELEASE_KEY = os.path.join(SIGNING_KEYS, "test_release_key.pem")


class Scenario(unittest.TestCase):
    """Subclasses set `server_kind` to "test" (fault-injecting server) or "nginx"."""

    server_kind = "test"
    maxDiff = None

    def setUp(self):
        name = self.id().split(".", 1)[-1].replace(".", "_")
        self.prefix = harness.Prefix(name)
        self.addCleanup(self.prefix.close, keep=os.environ.get("ARKENFEL_E2E_KEEP") == "1")
        self.release = harness.Release(os.path.join(self.prefix.dir, "www"))
        self.server = None

    def start_server(self, kind=None):
        kind = kind or self.server_kind
        state = os.path.join(self.prefix.dir, "server-" + kind)
        if kind == "nginx":
            self.server = harness.NginxServer(self.release.top, self.prefix.tls, state)
        else:
            self.server = harness.UpdateServer(self.release.root, self.prefix.tls, state)
        self.addCleanup(self.server.stop)
        return self.server

    # a release published with the operators' tool
    def publish(self, version, files, tool_args=(), gateway_keys=None, native=False):
        """files: {relative path: bytes | str | ("copy", source path)}."""
        for rel, content in files.items():
            if isinstance(content, tuple):
                self.release.put(version, rel, source=content[1])
            else:
                self.release.put(version, rel, content)
        self.release.publish(self.prefix, version, tool_args, gateway_keys, native)

    def list_fingerprint(self, version, rel):
        """The fingerprint the version's list gives rel: the marker text of its partial download."""
        with open(os.path.join(self.release.folder(version), "Arkenfel_List.ini"), encoding="cp949") as listing:
            for line in listing:
                key, _, value = line.strip().partition("=")
                if key.split("|")[0] == rel:
                    return value.split("|")[2]
        self.fail("%s is not in the list" % rel)

    def home_file(self, rel):
        return os.path.join(self.prefix.home, rel.replace("\\", "/"))

    def client_runs(self):
        """The command lines the client fixture (fixture_sleeper as Arkenfel.exe) recorded, one per start."""
        record = self.home_file("Arkenfel.exe.record")
        if not os.path.exists(record):
            return []
        with open(record, encoding="cp949") as f:
            return [line.strip() for line in f if line.strip()]

    def read_home(self, rel):
        with open(self.home_file(rel), "rb") as f:
            return f.read()

    def write_home(self, rel, data):
        path = self.home_file(rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode("cp949"))

    def assertSameFile(self, version, rel, installed_path=None):
        with open(os.path.join(self.release.folder(version), rel.replace("\\", "/")), "rb") as f:
            expected = f.read()
        with open(installed_path or self.home_file(rel), "rb") as f:
            self.assertEqual(expected, f.read(), rel)

    def assertNoUnansweredBoxes(self, run):
        self.assertEqual([], [e.get("rule") for e in run.unanswered()], run.boxes())
        self.assertFalse(run.timed_out)

    def wait_for_request(self, fn_suffix, kind, timeout=60):
        """Waits until the test server has seen (or begun) a request of that kind."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if any(r.get("fn", "").endswith(fn_suffix) and r.get("kind") == kind for r in self.server.requests()):
                return
            time.sleep(0.05)
        self.fail("no %s request for %s" % (kind, fn_suffix))

    def requested(self, kinds=("whole", "range")):
        """File names of the requests the test server saw, in order, by kind."""
        return [(r.get("kind"), r.get("fn")) for r in self.server.requests() if r.get("kind") in kinds]


def fixture(name):
    return os.path.join(harness.BIN, name)


def copy_fixture(name, target):
    os.makedirs(os.path.dirname(target), exist_ok=True)
    shutil.copy2(fixture(name), target)
