"""Root keys and certified release keys: the updater built with three test
roots (k = 2) installs a release signed by a release key two roots certified,
then, several root rotations later, follows the chain and installs the next
one; openssl checks every signature the operators' tool made. A certificate
short of k roots or below the key serial seen, a root statement the old roots
signed alone, a chain longer than the bound and a release for another
channel are each refused with nothing fetched or installed."""
import hashlib
import os
import subprocess
import tempfile

import harness
from scenario import DONE, MACHINE_KEY, NOT_INSTALLED, Scenario, copy_fixture
from scenario import SIGNING_KEYS as KEYS

ROOTS_BUILD = "Arkenfel_Update_roots.exe"
REFUSED_STATUS = "업데이트 서명 확인에 실패했습니다!"
CHECKED_FILES = ["gateway.ini", "Arkenfel_List.ini", "Arkenfel_Release.sig"]


def key(name, public=False):
    return os.path.join(KEYS, name + (".pub.pem" if public else ".pem"))


def release_files(text):
    return {"readme.txt": text, "data/map.pak": os.urandom(70000) + text.encode("cp949")}


def openssl(*args, data=None):
    return subprocess.run(["openssl"] + list(args), input=data, capture_output=True)


def key_id(name):
    der = openssl("pkey", "-pubin", "-in", key(name, True), "-outform", "DER").stdout
    return hashlib.sha256(der).hexdigest()


def openssl_verifies(name, signed, signature):
    with tempfile.TemporaryDirectory() as tmp:
        with open(os.path.join(tmp, "signed"), "wb") as f:
            f.write(signed)
        with open(os.path.join(tmp, "sig"), "wb") as f:
            f.write(signature)
        check = openssl("dgst", "-sha256", "-verify", key(name, True), "-signature", os.path.join(tmp, "sig"),
                        os.path.join(tmp, "signed"))
    return check.stdout == b"Verified OK\n"


def blocks(text):
    """The blocks of a signature file, each split at its first signature line
    into (signed bytes, [signature lines])."""
    starts = [0] + [i + 2 for i in range(len(text)) if text.startswith(b"\r\nARKENFEL ", i)]
    result = []
    for begin, end in zip(starts, starts[1:] + [len(text)]):
        block = text[begin:end]
        lines = block.split(b"\r\n")[:-1]
        first = next(i for i, line in enumerate(lines) if line.startswith((b"root-signature ", b"signature ")))
        signed = b"".join(line + b"\r\n" for line in lines[:first])
        result.append((signed, [line.decode().split(" ")[1:] for line in lines[first:]]))
    return result


def statement_text(version, threshold, names):
    ders = sorted(openssl("pkey", "-pubin", "-in", key(n, True), "-outform", "DER").stdout for n in names)
    text = "ARKENFEL ROOT STATEMENT 1\r\nroot-version %d\r\nthreshold %d\r\n" % (version, threshold)
    return (text + "".join("root-key %s\r\n" % der.hex() for der in ders)).encode()


def openssl_statement(version, threshold, names, signers):
    """A root statement made with openssl alone, as server/README.md describes."""
    signed = statement_text(version, threshold, names)
    lines = []
    for name in signers:
        with tempfile.NamedTemporaryFile() as f:
            f.write(signed)
            f.flush()
            signature = openssl("dgst", "-sha256", "-sign", key(name), f.name).stdout
        lines.append((key_id(name), signature.hex()))
    return signed + b"".join(("root-signature %s %s\r\n" % line).encode() for line in sorted(lines))


class ReleaseKeysScenario(Scenario):
    def setUp(self):
        super().setUp()
        self.start_server()
        self.prefix.install_updater(exe_name=ROOTS_BUILD)
        copy_fixture("fixture_sleeper.exe", self.home_file("Arkenfel.exe"))
        self.made = os.path.join(self.prefix.dir, "ceremony")
        os.makedirs(self.made)

    def tool(self, *args):
        return self.prefix.wine([os.path.join(harness.BIN, "arkenfel_release_list.exe")] + list(args))

    def certify(self, out, serial, roots, release_key="test_release_key"):
        """Each root signs in a run of its own, as the holders would, one after the other."""
        path = os.path.join(self.made, out)
        for root in roots:
            self.tool("--certify", harness.win_path(path), "--release-key", harness.win_path(key(release_key, True)),
                      "--key-serial", str(serial), "--root", harness.win_path(key(root)))
        return path

    def rotate(self, out, version, threshold, new_roots, signers):
        path = os.path.join(self.made, out)
        args = ["--rotate-roots", harness.win_path(path), "--root-version", str(version), "--threshold", str(threshold)]
        for name in new_roots:
            args += ["--new-root", harness.win_path(key(name, True))]
        for name in signers:
            args += ["--root", harness.win_path(key(name))]
        self.tool(*args)
        return path

    def publish_certified(self, version, text, certificate, release_key="test_release_key", statements=(),
                          extra=(), gateway_keys=None):
        args = ["--include-list", "--sign", harness.win_path(key(release_key)),
                "--certificate", harness.win_path(certificate)]
        for statement in statements:
            args += ["--root-statement", harness.win_path(statement)]
        self.publish(version, release_files(text), args + list(extra), gateway_keys)
        with open(os.path.join(self.release.folder(version), "Arkenfel_Release.sig"), "rb") as f:
            return f.read()

    def fetched(self, since=0):
        return [r["fn"].rsplit("/", 1)[-1] for r in self.server.requests()[since:] if r.get("kind") == "whole"]


class CertifiedReleases(ReleaseKeysScenario):
    def test_a_certified_key_installs_and_a_client_three_rotations_behind_follows_the_chain(self):
        certificate = self.certify("release.cert", 3, ["test_root_1", "test_root_2"])
        first = self.publish_certified("2026a", "첫 릴리스\r\n", certificate)
        run = self.prefix.run_updater(name="certified")
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([], run.boxes())
        self.assertIn(DONE, run.texts(1017))
        self.assertSameFile("2026a", "data/map.pak")
        self.assertEqual("0x3", self.prefix.reg_query(MACHINE_KEY, "ReleaseKeySerial"))
        self.assertIsNone(self.prefix.reg_query(MACHINE_KEY, "RootSet"), "the built-in roots are never stored")

        # Three rotations (1 2 3 -> 2 3 4 -> 4 5 -> 5 6) and a new release key
        # certified by the newest roots; the client still holds only its built-in roots.
        chain = [self.rotate("roots-2.stmt", 2, 2, ["test_root_2", "test_root_3", "test_root_4"],
                             ["test_root_1", "test_root_3", "test_root_4"]),
                 self.rotate("roots-3.stmt", 3, 1, ["test_root_4", "test_root_5"], ["test_root_2", "test_root_4"]),
                 self.rotate("roots-4.stmt", 4, 2, ["test_root_5", "test_root_6"], ["test_root_5", "test_root_6"])]
        newer = self.certify("release-4.cert", 4, ["test_root_5", "test_root_6"], "other_release_key")
        second = self.publish_certified("2026b", "둘째 릴리스\r\n", newer, "other_release_key", chain)
        # As if a thief of the first key had got a release of serial 4294967295 installed.
        self.prefix.reg_add(MACHINE_KEY, "ReleaseSerial", "4294967295", "REG_DWORD")
        before = len(self.server.requests())
        run = self.prefix.run_updater(name="rotated")
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([], run.boxes())
        self.assertIn(DONE, run.texts(1017))
        self.assertSameFile("2026b", "readme.txt")
        self.assertEqual(CHECKED_FILES, self.fetched(before)[:3])
        self.assertEqual("0x4", self.prefix.reg_query(MACHINE_KEY, "ReleaseKeySerial"))
        serial = int(second.split(b"\r\nserial ", 1)[1].split(b"\r\n", 1)[0])
        self.assertEqual(hex(serial), self.prefix.reg_query(MACHINE_KEY, "ReleaseSerial"))
        stored = self.prefix.reg_query(MACHINE_KEY, "RootSet")
        self.assertEqual("4 " + hashlib.sha256(statement_text(4, 2, ["test_root_5", "test_root_6"])).hexdigest(),
                         stored)

        # openssl agrees with every signature the tool made: the release by its
        # key, the certificates and statements by the roots their key ids name.
        names = ["test_root_%d" % i for i in range(1, 7)]
        ids = {key_id(name): name for name in names}
        checked = 0
        for text, release_key in ((first, "test_release_key"), (second, "other_release_key")):
            for signed, signatures in blocks(text):
                for fields in signatures:
                    signer = release_key if len(fields) == 1 else ids[fields[0]]
                    self.assertTrue(openssl_verifies(signer, signed, bytes.fromhex(fields[-1])), signed[:40])
                    checked += 1
        self.assertEqual(1 + 2 + 1 + (3 + 2 + 2) + 2, checked)
        # The certificate names the release key exactly as openssl writes it.
        release_der = openssl("pkey", "-pubin", "-in", key("test_release_key", True), "-outform", "DER").stdout
        self.assertIn(b"\r\nrelease-key " + release_der.hex().encode() + b"\r\n", first)


class RefusedTrust(ReleaseKeysScenario):
    def assertRefused(self, name, reason, args=()):
        before = len(self.server.requests())
        run = self.prefix.run_updater(args, answers=[reason + "=1"], name=name)
        self.assertNoUnansweredBoxes(run)
        self.assertEqual([reason + NOT_INSTALLED], run.boxes(), name)
        self.assertIn(REFUSED_STATUS, run.texts(1017))
        self.assertEqual(CHECKED_FILES, self.fetched(before), name)
        for rel in release_files(""):
            self.assertFalse(os.path.exists(self.home_file(rel)), rel)
        self.assertFalse(os.path.exists(self.home_file("data/map.pak_")))

    def test_short_certificates_revoked_keys_bad_rotations_long_chains_and_other_channels_install_nothing(self):
        self.publish_certified("2026a", "a\r\n", self.certify("one-root.cert", 3, ["test_root_1"]))
        self.assertRefused("one_root", "업데이트 서명 키가 루트 키로 인증되지 않았습니다.")

        certificate = self.certify("release.cert", 3, ["test_root_1", "test_root_2"])
        self.prefix.reg_add(MACHINE_KEY, "ReleaseKeySerial", "4", "REG_DWORD")
        self.publish_certified("2026b", "b\r\n", certificate)
        self.assertRefused("revoked", "업데이트 서명 키가 폐기되었습니다.")
        self.prefix.reg_add(MACHINE_KEY, "ReleaseKeySerial", "3", "REG_DWORD")

        # A thief of roots 1 and 2 names successors that never signed.
        old_only = self.rotate("old-only.stmt", 2, 2, ["test_root_4", "test_root_5", "test_root_6"],
                               ["test_root_1", "test_root_2"])
        self.publish_certified("2026c", "c\r\n", certificate, statements=[old_only])
        self.assertRefused("old_roots_only", "루트 키 교체가 현재 루트 키와 새 루트 키로 서명되지 않았습니다.")

        # Nine genuine steps: one more than an updater follows (the tool would
        # not publish them, so they go in front of a published file by hand).
        signature = os.path.join(self.release.folder("2026b"), "Arkenfel_Release.sig")
        published = open(signature, "rb").read()
        chain = b"".join(openssl_statement(version, 2, ["test_root_1", "test_root_2", "test_root_3"],
                                           ["test_root_1", "test_root_2"]) for version in range(2, 11))
        with open(signature, "wb") as f:
            f.write(chain + published)
        self.release.write_gateway("2026b\r\n")
        self.assertRefused("chain_too_long", "루트 키 교체 단계가 너무 많습니다.")

        # A beta release, and a gateway that moves the plain line to it: the
        # updater started for "stable" finds no such line and takes the plain
        # one, which is not the release's channel.
        self.publish_certified("2026d", "d\r\n", certificate, extra=["--channel", "beta"], gateway_keys=["beta"])
        self.release.write_gateway("2026d\r\nbeta=2026d\r\n")
        self.assertRefused("other_channel", "업데이트 서명이 다른 채널의 것입니다.", ["jisacd:stable"])
        self.assertEqual(["C:\\ARKENFEL\\Arkenfel.exe /run"] * 5, self.client_runs())
        self.assertIsNone(self.prefix.reg_query(MACHINE_KEY, "RootSet"))
        self.assertEqual("0x3", self.prefix.reg_query(MACHINE_KEY, "ReleaseKeySerial"))


if __name__ == "__main__":
    import unittest
    unittest.main()
