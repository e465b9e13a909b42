"""The home tree made the program's (install/home_tree.h) on a real tree in a
Wine prefix of its own, filled before the first run the way any user could:
entries of another owner with their own DACL, links to folders and files
outside, a hard link to a file outside. The links are made from the Unix
side: Wine's CreateSymbolicLinkA makes nothing, and a Unix symbolic link below
drive_c behaves as a link (writes follow it)."""
import os
import stat
import sys
import unittest

import harness
import relay_trace
from home_security import FILE_SDDL, FOLDER_SDDL, ROOT_SDDL, read_back

HOME = "C:\\ARKENFEL"
OUTSIDE = "C:\\outside"


class HomeTree(unittest.TestCase):
    def setUp(self):
        self.prefix = harness.Prefix("install_" + self.id().rsplit(".", 1)[-1])
        self.addCleanup(self.prefix.close)
        self.prefix.reg_add("HKCU\\Software\\Wine\\Debug", "RelayInclude",
                            relay_trace.relay_include(*relay_trace.HOME_TREE_CALLS))

    def make(self, windows_path, data=None):
        """A folder, or a file holding data."""
        path = self.prefix.c(windows_path)
        if data is None:
            os.makedirs(path)
        else:
            with open(path, "wb") as f:
                f.write(data)

    def link(self, windows_path, target):
        os.symlink(self.prefix.c(target), self.prefix.c(windows_path))

    def security(self, *paths, own=False):
        """What the tool reads back (see home_security), with the calls it made."""
        found, err = read_back(self.prefix, *paths, own=own, env={"WINEDEBUG": "+relay"} if own else None)
        trace = os.path.join(self.prefix.dir, "own.stderr")
        with open(trace, "wb") as f:
            f.write(err)
        return found, relay_trace.calls(trace)

    def outside_state(self):
        """Bytes and Unix mode of everything outside (Wine turns a DACL it is
        given into mode bits, so a descriptor set through a link shows here)."""
        top = self.prefix.c(OUTSIDE + "\\")
        state = {top: (stat.S_IMODE(os.lstat(top).st_mode), None)}
        for folder, dirs, files in os.walk(top):
            for name in dirs:
                path = os.path.join(folder, name)
                state[path] = (stat.S_IMODE(os.lstat(path).st_mode), None)
            for name in files:
                path = os.path.join(folder, name)
                with open(path, "rb") as f:
                    state[path] = (stat.S_IMODE(os.lstat(path).st_mode), f.read())
        return state

    def test_every_entry_of_a_planted_home_is_put_right_and_no_link_leads_out(self):
        self.make(OUTSIDE)
        self.make(OUTSIDE + "\\folder")
        self.make(OUTSIDE + "\\folder\\victim.dll", b"victim")
        self.make(OUTSIDE + "\\empty")
        self.make(OUTSIDE + "\\settings.cfg", b"outside settings")
        self.make(OUTSIDE + "\\shared.dll", b"shared")
        self.make(HOME)
        real = {HOME + "\\Arkenfel.exe": b"client", HOME + "\\data": None, HOME + "\\data\\pack.bin": b"pack",
                HOME + "\\data\\deep": None, HOME + "\\data\\deep\\x.txt": b"x"}
        for path, data in real.items():
            self.make(path, data)
        links = {HOME + "\\plugins": OUTSIDE + "\\folder",  # writes to plugins\*.dll land outside
                 HOME + "\\cache": OUTSIDE + "\\empty",     # an empty folder removed by name is the target
                 HOME + "\\data\\settings.cfg": OUTSIDE + "\\settings.cfg"}
        for path, target in links.items():
            self.link(path, target)
        os.link(self.prefix.c(OUTSIDE + "\\shared.dll"), self.prefix.c(HOME + "\\shared.dll"))
        outside = self.outside_state()

        before, _ = self.security(*([HOME] + list(real)))
        self.assertFalse([p for p in [HOME] + list(real) if before["sddl:" + p].startswith("O:BA")],
                         "every entry starts with another owner and DACLs of its own: %s" % before)

        result, traced = self.security(HOME, own=True)
        events = relay_trace.home_tree_events(traced)

        self.assertEqual(outside, self.outside_state(), "nothing outside changed, through a link or a hard link")
        self.assertFalse(os.path.exists(self.prefix.c(HOME + "\\shared.dll")), "the hard link's name is gone")
        self.assertEqual(1, os.stat(self.prefix.c(OUTSIDE + "\\shared.dll")).st_nlink)
        # The root and every real entry below it were given their descriptor
        # through their own handle, and nothing else was.
        owned = sorted(e[1] for e in events if e[0] == "own")
        self.assertEqual(sorted([HOME] + list(real)), owned, events)
        self.assertNotIn("failed", [e[-1] for e in events])

        gone = [p for p in links if not os.path.lexists(self.prefix.c(p))]
        if gone == list(links):
            self.assertEqual(("owned", ""), (result["result"], result["failed"]))
        else:
            # This Wine opens what a Unix link names even with
            # FILE_FLAG_OPEN_REPARSE_POINT, so no call can remove the link
            # itself: the walk leaves it and says so.
            self.assertEqual([], gone)
            self.assertEqual("failed", result["result"])
            self.assertIn(result["failed"], links)
            self.assertTrue(all(os.path.islink(self.prefix.c(p)) for p in links))
            self.assertEqual([("delete", HOME + "\\shared.dll")], [e for e in events if e[0] in ("delete", "rmdir")])
            sys.stderr.write("note: this Wine resolves Unix links even when asked not to; the walk reported "
                             "%s and removed nothing through them\n" % result["failed"])

        after, _ = self.security(*([HOME] + list(real)))
        if after["sddl:" + HOME] == ROOT_SDDL:
            for path, data in real.items():
                self.assertEqual(FOLDER_SDDL if data is None else FILE_SDDL, after["sddl:" + path], path)
        else:
            sys.stderr.write("note: this Wine does not keep a descriptor (%s reads back %s); the calls above "
                             "are what shows the tree's\n" % (HOME, after["sddl:" + HOME]))

    def test_a_home_that_is_a_link_is_left_alone(self):
        self.make(OUTSIDE)
        self.make(OUTSIDE + "\\Arkenfel.exe", b"client")
        self.link(HOME, OUTSIDE)
        outside = self.outside_state()
        result, traced = self.security(HOME, own=True)
        self.assertEqual(("failed", HOME), (result["result"], result["failed"]))
        self.assertEqual([], [e for e in relay_trace.home_tree_events(traced) if e[0] != "CreateFileA"])
        self.assertEqual(outside, self.outside_state())


if __name__ == "__main__":
    unittest.main()
