// The one rule for every relative path the update server names: it stays
// below the folder it is put under, and names a plain file there.
#include <gtest/gtest.h>

#include "base/usable_path.h"

namespace {

TEST(StaysBelowRoot, TakesPlainRelativePathsWithEitherSeparator) {
    for (const char* path : {"a.dll", "bin\\a.dll", "bin/sub/a.dll", "a..b.txt", ".config\\x", "com10.txt",
                             "lpt.txt", "console.log", "nul_\\x", "\xB5\xA5\xC0\xCC\xC5\xCD\\\xB0\xA1.pak",
                             // a Korean character whose trail byte is 'C': not the device CON
                             "\x81" "CON.txt"})
        EXPECT_TRUE(base::StaysBelowRoot(path)) << path;
}

TEST(StaysBelowRoot, RefusesEveryWayOutOfTheFolderAndEveryDevice) {
    for (const char* path : {"", "..\\x.txt", "a/../../x.txt", "a\\..", ".\\x", "\\x.txt", "/x.txt",
                             "\\\\server\\share\\x.txt", "C:\\x.txt", "C:x.txt", "x.txt:stream", "x.txt::$DATA",
                             "a\\\\b", "a\\", "x.", "x ", "dir.\\x", "dir \\x",
                             // devices, with or without an extension, in any case, also as a folder
                             "NUL", "nul.txt", "Con", "con\\x.txt", "aux.tar.gz", "PRN.", "COM1", "com9.log",
                             "LPT1", "lpt0.dat", "COM0", "CONIN$", "conout$.txt", "NUL .txt", "COM\xA9\xF6.txt"})
        EXPECT_FALSE(base::StaysBelowRoot(path)) << path;
}

// Unquoted, "sub dir\..\..\x.exe" is tried as "sub" and then as the whole,
// which leaves the folder.
TEST(CommandStaysBelowRoot, ChecksTheProgramAndEveryLongerNameTheSystemTries) {
    for (const char* line : {"setup.exe /q", "bin\\setup.exe /dir=x", "\"sub dir\\setup.exe\" /q", "regedit"})
        EXPECT_TRUE(base::CommandStaysBelowRoot(line)) << line;
    for (const char* line : {"..\\x.exe", "C:\\x.exe /q", "sub dir\\..\\..\\x.exe", "x.exe sub\\..\\..\\y", "\"..\\x.exe\"",
                             "\\\\server\\x.exe", "nul /q", ""})
        EXPECT_FALSE(base::CommandStaysBelowRoot(line)) << line;
}

TEST(ProgramOfCommandLine, IsTheFirstPartOrTheQuotedOne) {
    EXPECT_EQ("setup.exe", base::ProgramOfCommandLine("setup.exe /q"));
    EXPECT_EQ("..\\x.exe", base::ProgramOfCommandLine("..\\x.exe\t/q"));
    EXPECT_EQ("sub dir\\setup.exe", base::ProgramOfCommandLine("\"sub dir\\setup.exe\" /q"));
    EXPECT_EQ("", base::ProgramOfCommandLine(" setup.exe"));
}

}  // namespace
