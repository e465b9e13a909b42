// The list text's entry for itself, written, read back and matched as the
// updater does.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "release/file_identity.h"
#include "release/ini_reader.h"
#include "release/list_entry.h"
#include "release/list_text.h"
#include "tests/support/test_env.h"

namespace {

// The list's entry for itself must hold for every length of the text before
// it: wherever it lands relative to the fingerprint's 1024-byte blocks, the
// updater must find the written list to match its entry.
TEST(SelfEntry, DescribesTheWrittenListForEveryPrefixLength) {
    testenv::ScratchDir scratch("list_text_self_entry");
    // Every position near a block boundary, and a stride through the rest.
    std::vector<size_t> lengths;
    for (size_t length = 20; length < 2200; ++length) {
        const size_t offset = length % 1024;
        if (offset < 60 || offset > 960 || length % 23 == 0) lengths.push_back(length);
    }
    for (size_t length : lengths) {
        // A new name each time: the profile functions cache files by name.
        const std::string path = scratch / ("list" + std::to_string(length) + ".ini");
        const std::string prefix = "[FILES]\r\nx=" + std::string(length - 13, 'v') + "\r\n";
        release::SelfDescribedList list = release::AppendSelfEntry(prefix);
        testenv::WriteFileBytes(path, list.text);
        char fingerprint[17] = {};
        ASSERT_TRUE(release::ComputeFingerprint(path, fingerprint));
        release::FillSelfFingerprint(list, fingerprint);
        testenv::WriteFileBytes(path, list.text);

        release::CIniReader reader(path);
        const std::string value = reader.ReadIniValue("FILES", "Arkenfel_List.ini");
        release::ListEntry entry;
        release::ParseListKey("Arkenfel_List.ini", entry);
        release::ParseListValue(value, entry);
        ASSERT_EQ(list.text.size(), entry.size) << "prefix length " << length;
        ASSERT_EQ(fingerprint, entry.fingerprint) << "prefix length " << length;
        ASSERT_TRUE(release::MatchesFingerprint(path, entry.fingerprint)) << "prefix length " << length;
        ASSERT_EQ(2u, reader.GetIniSectionKeys("FILES").size()) << "padding read as an entry";
        ::DeleteFileA(path.c_str());
    }
}

}  // namespace
