// The Linux side of the file calls and of the profile reader, where the
// release folder is the operator's but may hold what Windows never shows:
// names with no CP949 form, pipes, links at the names the tool writes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "release/profile_file.h"

namespace {

struct Folder {
    Folder() {
        char pattern[] = "/tmp/arkenfel_fs_XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~Folder() { std::system(("rm -rf '" + path + "'").c_str()); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path + "/" + name, std::ios::binary) << bytes;
    }
    std::string path;
};

TEST(FileSystemPosix, NamesWithoutACp949FormAreShownAsNotAsciiAndPathsRoundTrip) {
    const Folder folder;
    folder.Write("plain.txt", "a");
    folder.Write("\xED\x95\x9C.txt", "b");      // 한: CP949 has it
    folder.Write("\xF0\x9F\x98\x80.txt", "c");  // an emoji: CP949 does not
    folder.Write("\xFF\xFE.txt", "d");          // no UTF-8 at all
    ::mkdir((folder.path + "/sub").c_str(), 0755);
    std::vector<base::FolderEntry> entries;
    ASSERT_TRUE(base::ListFolder(folder.path, entries));
    std::map<std::string, base::FolderEntry> byName;
    for (const base::FolderEntry& entry : entries) byName[entry.name] = entry;
    ASSERT_EQ(5u, byName.size());
    EXPECT_TRUE(byName["plain.txt"].ascii);
    EXPECT_TRUE(byName["sub"].folder);
    EXPECT_FALSE(byName["\xC7\xD1.txt"].ascii);  // the CP949 name, readable through the seam
    EXPECT_EQ(1u, base::FileSizeOf(folder.path + "/\xC7\xD1.txt"));
    EXPECT_FALSE(byName["?.txt"].ascii);
    EXPECT_FALSE(byName["??.txt"].ascii);

    std::string absolute;
    ASSERT_TRUE(base::AbsolutePath(folder.path + "/./sub/../sub//", absolute));
    EXPECT_EQ(folder.path + "/sub", absolute);
    EXPECT_TRUE(base::IsFolder(absolute));
}

// A pipe would block a reader for ever; a link at a temporary name would
// send the bytes to another file.
TEST(FileSystemPosix, APipeIsNotReadAndALinkAtTheWrittenNameIsNotFollowed) {
    const Folder folder;
    ASSERT_EQ(0, ::mkfifo((folder.path + "/pipe").c_str(), 0600));
    const auto start = std::chrono::steady_clock::now();
    base::ReadingFile pipe(folder.path + "/pipe", base::ReadingFile::Sharing::kReaders, true);
    EXPECT_FALSE(pipe.ok());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ("it is not an ordinary file", base::LastFileErrorText());

    folder.Write("victim", "keep");
    ASSERT_EQ(0, ::symlink((folder.path + "/victim").c_str(), (folder.path + "/list.partial").c_str()));
    EXPECT_EQ(base::WriteResult::kNotCreated, base::WriteNewFile(folder.path + "/list.partial", "bytes"));
    std::string kept;
    ASSERT_TRUE(base::ReadWholeFile(folder.path + "/victim", kept));
    EXPECT_EQ("keep", kept);

    EXPECT_EQ(base::WriteResult::kWritten, base::WriteNewFile(folder.path + "/new.partial", "new"));
    EXPECT_TRUE(base::ReplaceWith(folder.path + "/new.partial", folder.path + "/victim"));
    ASSERT_TRUE(base::ReadWholeFile(folder.path + "/victim", kept));
    EXPECT_EQ("new", kept);
    EXPECT_EQ(base::WriteResult::kNotCreated, base::WriteFreshFile(folder.path + "/victim", "x"));
    EXPECT_TRUE(base::DeleteIfPresent(folder.path + "/victim"));
    EXPECT_TRUE(base::DeleteIfPresent(folder.path + "/victim"));
    EXPECT_EQ(base::WriteResult::kWritten, base::WriteFreshFile(folder.path + "/key.pem", "k"));
    struct stat st;
    ASSERT_EQ(0, ::stat((folder.path + "/key.pem").c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
}

TEST(ProfilePosix, SectionsAndLinesFollowTheProfileRules) {
    const Folder folder;
    folder.Write("list.ini",
                 "orphan=1\r\n"
                 "  [FILES] \r\n"
                 " a.txt = |1|x| \r\n"
                 "; a comment\r\n"
                 "\r\n"
                 "b.txt\r\n"
                 "[files]\r\n"
                 "later=2\r\n"
                 "[odd]name]\r\n"
                 "c=3\x1a\n");
    const std::string path = folder.path + "/list.ini";
    EXPECT_EQ((base::StringList{"FILES", "files", "odd]name"}), release::ProfileSectionNames(path));
    EXPECT_EQ((base::StringList{"a.txt=|1|x|", "b.txt"}), release::ProfileSectionLines(path, "Files"));
    EXPECT_EQ((base::StringList{"c=3"}), release::ProfileSectionLines(path, "odd]name"));
    EXPECT_TRUE(release::ProfileSectionLines(path, "none").empty());
    EXPECT_TRUE(release::ProfileSectionNames(folder.path + "/missing.ini").empty());
}

}  // namespace
