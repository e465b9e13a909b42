// Writes a published file so that readers only ever see the old or the new
// copy whole: the bytes go to a temporary copy beside the target, which
// replaces the target once it is complete.
#pragma once

#include <string>

namespace release_list {

class StagedFile {
public:
    explicit StagedFile(std::string target);
    // Removes the temporary copy unless it was committed.
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    const std::string& TempPath() const { return temp_; }
    // (Re)writes the temporary copy. Throws ReleaseListError.
    void Write(const std::string& bytes);
    // Moves the temporary copy over the target. Throws ReleaseListError.
    void Commit();

private:
    std::string target_;
    std::string temp_;
    bool committed_ = false;
};

// A published file written whole through a StagedFile.
void WriteWhole(const std::string& path, const std::string& bytes);
// The current bytes of a file the tool rewrites; empty when there is none.
// Throws ReleaseListError when it exists but cannot be read.
std::string ReadExistingFile(const std::string& path);

}  // namespace release_list
