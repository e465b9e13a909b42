"""The home tree's descriptors as the system reads them back, through
folder_security.exe, a process of its own (tests/tools/folder_security)."""
import os

import harness

# Where the system keeps descriptors: the root's own, and the root's three
# entries inherited by a folder and by a file below it.
ROOT_SDDL = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
FOLDER_SDDL = "O:BAD:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)"
FILE_SDDL = "O:BAD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)"


def read_back(prefix, *paths, own=False, env=None):
    """{"sddl:<path>": SDDL} for each path (and, with own, first "result" and
    "failed" of making the first path's tree the program's), and the tool's
    standard error (where a relay trace goes)."""
    args = [os.path.join(harness.BIN, "folder_security.exe")] + (["--own"] if own else []) + list(paths)
    proc = prefix.wine(args, env=env)
    lines = proc.stdout.decode("utf-8", "replace").splitlines()
    return dict(line.split("=", 1) for line in lines if "=" in line), proc.stderr
