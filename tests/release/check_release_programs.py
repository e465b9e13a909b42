#!/usr/bin/python3
"""Checks the shipped programs without running them, so that a host that
cannot execute 32-bit programs still proves the deliverable is built right:
both are PE32 images for i386 that import only from system DLLs; every DLL
the loader resolves by name before the program runs is a known DLL (the
others are delay-loaded, which the program then takes from the system
folder); the updater carries its dialogs, artwork, icon, version block and
manifest, and UpdateHelper.exe byte for byte as resource BIN 131.

Usage: check_release_programs.py BIN_DIR
"""
import os
import struct
import sys

# DLLs every Windows since XP has in its system folder. Anything else (the
# MinGW runtime DLLs above all) would be missing on a player's machine.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "gdi32.dll", "gdiplus.dll", "kernel32.dll",
    "msimg32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "version.dll", "wininet.dll", "ws2_32.dll",
}
# Names in the KnownDLLs key of Windows 7 and of every Windows after it, for
# 32- and 64-bit programs alike. The loader maps these from the system's own
# copies and never looks for them in a program's folder; for any other DLL
# in the static import table it would look there first.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "gdi32.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll",
    "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll",
    "sechost.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll", "ws2_32.dll",
}
RT_BITMAP, RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 2, 3, 5, 14, 16, 24
LANG_KOREAN = 0x412


class PeImage:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError("not an executable")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", d, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", d, optional)[0]
        self.subsystem = struct.unpack_from("<H", d, optional + 68)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.directory = [struct.unpack_from("<II", d, directories + 8 * i) for i in range(3)]
        self.sections = []
        self.writable = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            vsize, vaddr, raw_size, raw_at = struct.unpack_from("<IIII", d, at + 8)
            flags = struct.unpack_from("<I", d, at + 36)[0]
            self.sections.append((vaddr, max(vsize, raw_size), raw_at))
            if flags & 0x80000000:
                self.writable.append((vaddr, max(vsize, raw_size)))

    def offset(self, rva):
        for vaddr, size, raw_at in self.sections:
            if vaddr <= rva < vaddr + size:
                return raw_at + rva - vaddr
        raise ValueError("address 0x%x is in no section" % rva)

    def c_string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def maps(self, rva):
        return any(vaddr <= rva < vaddr + size for vaddr, size, _ in self.sections)

    def delay_imports(self):
        """Names of the delay-loaded DLLs. GNU ld leaves the delay import
        directory empty, so the descriptors (ImgDelayDescr: attributes 1 for
        RVAs, the DLL's name, its module handle in writable data, import
        address and name tables, three zeros) are found where they are."""
        names = set()
        for vaddr, size, raw_at in self.sections:
            end = min(raw_at + size, len(self.data)) - 32
            for at in range(raw_at, end, 4):
                attrs, name, module, iat, names_table, bound, unload, stamp = struct.unpack_from("<8I", self.data, at)
                if attrs != 1 or bound or unload or stamp or not all(self.maps(r) for r in (name, iat, names_table)):
                    continue
                if not any(w <= module < w + s for w, s in self.writable):
                    continue
                try:
                    text = self.c_string(name)
                except (ValueError, UnicodeDecodeError):
                    continue
                if text.lower().endswith(".dll"):
                    names.add(text.lower())
        return sorted(names)

    def imports(self):
        rva, _ = self.directory[1]
        names, at = [], self.offset(rva)
        while True:
            entry = struct.unpack_from("<IIIII", self.data, at)
            if not any(entry):
                return names
            names.append(self.c_string(entry[3]).lower())
            at += 20

    def resources(self):
        """{(type, name, language): bytes}, type and name as int ids or strings."""
        rva, _ = self.directory[2]
        if not rva:
            return {}
        base = self.offset(rva)
        found = {}

        def label(value):
            if value & 0x80000000:
                at = base + (value & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, at)[0]
                return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            return value

        def walk(table, path):
            named, numbered = struct.unpack_from("<HH", self.data, base + table + 12)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", self.data, base + table + 16 + 8 * i)
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, path + (label(key),))
                else:
                    data_rva, size = struct.unpack_from("<II", self.data, base + target)
                    at = self.offset(data_rva)
                    found[path + (label(key),)] = self.data[at:at + size]
        walk(0, ())
        return found


def check_program(path, problems):
    image = PeImage(path)
    name = os.path.basename(path)
    if image.machine != 0x14C or image.magic != 0x10B:
        problems.append("%s: not a PE32 image for i386 (machine 0x%x, magic 0x%x)" % (name, image.machine, image.magic))
    static, delayed = sorted(set(image.imports())), image.delay_imports()
    foreign = sorted(set(static + delayed) - SYSTEM_DLLS)
    if foreign:
        problems.append("%s: imports from DLLs that are not part of Windows: %s" % (name, ", ".join(foreign)))
    unknown = sorted(set(static) - KNOWN_DLLS)
    if unknown:
        problems.append("%s: the loader would look in the program's folder for %s (not known DLLs): delay-load them"
                        % (name, ", ".join(unknown)))
    print("%s: resolved by name before it runs: %s" % (name, ", ".join(static)))
    print("%s: delay-loaded: %s" % (name, ", ".join(delayed) or "none"))
    return image


def manifest_of(resources):
    texts = [data.decode("utf-8", "replace") for (kind, _, _), data in resources.items() if kind == RT_MANIFEST]
    return texts[0] if texts else ""


def main():
    folder = sys.argv[1]
    problems = []
    updater = check_program(os.path.join(folder, "Arkenfel_Update.exe"), problems)
    helper_path = os.path.join(folder, "UpdateHelper.exe")
    helper = check_program(helper_path, problems)
    if updater.subsystem != 2:
        problems.append("Arkenfel_Update.exe: not a GUI program (subsystem %d)" % updater.subsystem)
    if helper.subsystem != 3:
        problems.append("UpdateHelper.exe: not a console program (subsystem %d)" % helper.subsystem)

    resources = updater.resources()
    present = {(kind, name) for kind, name, _ in resources}
    wanted = {(RT_DIALOG, 100): "about box", (RT_DIALOG, 102): "main dialog", (RT_DIALOG, 129): "notify dialog",
              (RT_BITMAP, 132): "notify background", (RT_BITMAP, 133): "main background",
              (RT_GROUP_ICON, 134): "icon", (RT_VERSION, 1): "version block", (RT_MANIFEST, 1): "manifest",
              ("BIN", 131): "embedded helper"}
    for key, what in wanted.items():
        if key not in present:
            problems.append("Arkenfel_Update.exe: no %s (resource %s %s)" % (what, key[0], key[1]))
    for (kind, name, language) in resources:
        if kind == RT_DIALOG and language != LANG_KOREAN:
            problems.append("Arkenfel_Update.exe: dialog %s is not in Korean (language 0x%x)" % (name, language))
    if not any(kind == RT_ICON for kind, _, _ in resources):
        problems.append("Arkenfel_Update.exe: the icon group has no images")
    embedded = [data for (kind, name, _), data in resources.items() if (kind, name) == ("BIN", 131)]
    with open(helper_path, "rb") as f:
        if embedded and embedded[0] != f.read():
            problems.append("Arkenfel_Update.exe: BIN 131 differs from UpdateHelper.exe")
    manifest = manifest_of(resources)
    if 'level="requireAdministrator"' not in manifest or "Microsoft.Windows.Common-Controls" not in manifest:
        problems.append("Arkenfel_Update.exe: the manifest does not ask for administrator rights and common controls v6")
    helper_manifest = manifest_of(helper.resources())
    if 'level="asInvoker"' not in helper_manifest:
        problems.append("UpdateHelper.exe: the manifest does not run it as the invoker")
    for name, text in (("Arkenfel_Update.exe", manifest), ("UpdateHelper.exe", helper_manifest)):
        if 'processorArchitecture="x86"' not in text or "amd64" in text:
            problems.append("%s: the manifest does not name the x86 architecture throughout" % name)

    for problem in problems:
        print(problem)
    print("checked %s: %s" % (folder, "%d problem(s)" % len(problems) if problems else "both programs are sound"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
