"""Wine's relay trace (WINEDEBUG=+relay) read back as the calls a program made,
for what Wine does not keep: the security descriptors given to files and
folders, and the links removed, each with the path it was made on."""
import re

_CALL = re.compile(r'^(\w+):Call (?:[\w-]+\.)?(\w+)\((.*)\) ret=\w+$')
_RET = re.compile(r'^(\w+):Ret  (?:[\w-]+\.)?(\w+)\(\) retval=(\w+) ret=\w+$')
_ARG = re.compile(r'(\w+)(?: L?"((?:[^"\\]|\\.)*)")?(?:,|$)')

# What the home tree's walk calls, under both names Wine may trace them by.
HOME_TREE_CALLS = ("CreateFileA", "SetKernelObjectSecurity", "DeleteFileA", "RemoveDirectoryA")


def relay_include(*functions):
    """The RelayInclude value (HKCU\\Software\\Wine\\Debug) that traces these functions."""
    return ";".join("%s.%s" % (dll, f) for f in functions for dll in ("kernel32", "kernelbase", "advapi32",
                                                                      "shell32"))


def calls(trace_path):
    """[(function, args, retval)] in the order they returned; a string
    argument comes as its text (str), any other as its value (int)."""
    done, open_calls = [], {}
    with open(trace_path, encoding="utf-8", errors="replace") as trace:
        for line in trace:
            line = line.rstrip("\n")
            call = _CALL.match(line)
            if call:
                args = [int(m.group(1), 16) if m.group(2) is None else m.group(2).replace("\\\\", "\\")
                        for m in _ARG.finditer(call.group(3))]
                open_calls.setdefault(call.group(1), []).append((call.group(2), args))
                continue
            ret = _RET.match(line)
            if ret and open_calls.get(ret.group(1)):
                function, args = open_calls[ret.group(1)].pop()
                if function == ret.group(2):
                    done.append((function, args, int(ret.group(3), 16)))
    return done


def home_tree_events(traced):
    """The calls as events on paths: ("own", path) for an owner and DACL set
    (SetKernelObjectSecurity with OWNER|DACL on a handle CreateFileA opened),
    ("delete", path) and ("rmdir", path) for names removed; a call that failed
    ends in "failed". Other calls come as (function, string args)."""
    opened, events = {}, []
    for function, args, retval in traced:
        if function == "CreateFileA":
            opened[retval] = args[0]
        elif function == "SetKernelObjectSecurity":
            assert args[1] == 5, "owner and DACL, nothing else: %s" % args
            events.append(("own", opened.get(args[0], "?")) + (() if retval else ("failed",)))
        elif function in ("DeleteFileA", "RemoveDirectoryA"):
            kind = "delete" if function == "DeleteFileA" else "rmdir"
            events.append((kind, args[0]) + (() if retval else ("failed",)))
        else:
            events.append((function, [a for a in args if isinstance(a, str)]))
    return events
