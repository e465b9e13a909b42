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

}  // namespace release_list
