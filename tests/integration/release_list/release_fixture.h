// A release folder built for a test, and the updater's own reading of the
// list that the tool writes for it.
#pragma once

#include <string>
#include <vector>

#include "release/list_entry.h"
#include "tests/support/test_env.h"
#include "tools/release_list/release_options.h"

namespace release_test {

// Bytes that differ from block to block, so every sampled byte matters.
std::string Pattern(size_t size, int seed = 0);

// Scratch folder with "<scratch>\vantero\2026a\" as the release: readme.txt,
// data/blob.bin (6000 bytes, sampled fingerprint), bin/module.dll (a module
// with product version 1.0.0.5) and sys/helper.dat.
class ReleaseFolder {
public:
    explicit ReleaseFolder(const std::string& name);
    std::string Root() const { return scratch_.path() + "vantero"; }           // server root
    std::string Release() const { return scratch_.path() + "vantero\\2026a"; }  // version folder
    std::string ListPath() const { return Release() + "\\Arkenfel_List.ini"; }
    std::string Path(const std::string& relative) const { return Release() + "\\" + relative; }
    void Write(const std::string& relative, const std::string& bytes) const;
    const testenv::ScratchDir& Scratch() const { return scratch_; }

private:
    testenv::ScratchDir scratch_;
};

release_list::ReleaseOptions OptionsFor(const ReleaseFolder& folder);
// PublishRelease's error text, or empty on success.
std::string PublishError(const release_list::ReleaseOptions& options);

struct ReadEntry {
    std::string section;
    std::string key;
    release::ListEntry entry;
};
// Every entry of a list, in file order, read with the updater's own reader.
std::vector<ReadEntry> ReadList(const std::string& path);

}  // namespace release_test
