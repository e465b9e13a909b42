"""A standard user against the elevated updater: a root certificate in his own
ROOT store and a system proxy of his own (both per user, no administrator
needed) that tunnels the update server's address to a server whose
certificate that root signed. WinINet alone would take it; the run must be
refused as a server of an unknown authority is, and install nothing."""
import os
import unittest

import harness
from scenario import Scenario, copy_fixture, fixture

INTERNET_SETTINGS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"
# WinINet's refusal of a certificate of an unknown authority, as the box shows
# it under Wine (which has no text of its own for 12045).
REFUSED = "Internet error 12045"


class UserRoot(Scenario):
    def test_a_server_only_a_users_own_root_vouches_for_installs_nothing(self):
        user_ca = harness.win_path(os.path.join(self.prefix.tls, "user_ca.der"))
        self.prefix.wine([fixture("trust_test_ca.exe"), "--user", user_ca])
        attacker = harness.UpdateServer(self.release.root, self.prefix.tls, os.path.join(self.prefix.dir, "attacker"),
                                        port=harness.free_port(), certificate="userroot")
        self.addCleanup(attacker.stop)
        proxy = harness.TunnelProxy(os.path.join(self.prefix.dir, "proxy"), attacker.port)
        self.addCleanup(proxy.stop)
        self.prefix.reg_add(INTERNET_SETTINGS, "ProxyEnable", "1", "REG_DWORD")
        self.prefix.reg_add(INTERNET_SETTINGS, "ProxyServer", "127.0.0.1:%d" % proxy.port)
        self.prefix.install_updater()
        copy_fixture("fixture_sleeper.exe", self.home_file("Arkenfel.exe"))
        self.publish("2026a", {"payload.exe": ("copy", fixture("fixture_sleeper.exe")), "readme.txt": "evil\r\n"})

        run = self.prefix.run_updater(answers=[REFUSED + "=1"])
        self.assertNoUnansweredBoxes(run)
        # Every attempt at the gateway went through the user's proxy to the
        # attacker, and each was refused before its answer was used.
        self.assertEqual([REFUSED], run.boxes())
        gateway_requests = [r for r in attacker.requests() if r.get("fn") == "vantero/gateway.ini"]
        self.assertEqual(10, len(gateway_requests))
        self.assertGreaterEqual(proxy.tunnels(), 1)
        self.assertEqual(len(gateway_requests), len([r for r in attacker.requests() if r.get("fn")]))
        for rel in ("payload.exe", "payload.exe_", "readme.txt", "readme.txt_", "Arkenfel_List.ini"):
            self.assertFalse(os.path.exists(self.home_file(rel)), rel)
        self.assertEqual(["C:\\ARKENFEL\\Arkenfel.exe /run"], self.client_runs())


if __name__ == "__main__":
    unittest.main()
