#include "tools/release_list/staged_file.h"

#include "base/file_system.h"
#include "release/list_text.h"
#include "tools/release_list/release_error.h"

namespace release_list {

StagedFile::StagedFile(std::string target) : target_(std::move(target)), temp_(target_ + release::kPartialSuffix) {}

StagedFile::~StagedFile() {
    if (!committed_) base::DeleteIfPresent(temp_);
}

void StagedFile::Write(const std::string& bytes) {
    switch (base::WriteNewFile(temp_, bytes)) {
    case base::WriteResult::kWritten:
        return;
    case base::WriteResult::kNotCreated:
        throw ReleaseListError("cannot create " + temp_ + ": " + base::LastFileErrorText());
    case base::WriteResult::kNotWritten:
        throw ReleaseListError("cannot write " + temp_ + ": " + base::LastFileErrorText());
    }
}

void StagedFile::Commit() {
    if (!base::ReplaceWith(temp_, target_))
        throw ReleaseListError("cannot replace " + target_ + ": " + base::LastFileErrorText());
    committed_ = true;
}

std::string ReadExistingFile(const std::string& path) {
    base::ReadingFile file(path, base::ReadingFile::Sharing::kReaders, false);
    if (!file.ok()) {
        if (!file.found()) return std::string();
        throw ReleaseListError("cannot read " + path + ": " + base::LastFileErrorText());
    }
    std::string bytes;
    char buffer[4096];
    size_t got = 0;
    while (file.Read(buffer, sizeof(buffer), got) && got > 0) bytes.append(buffer, got);
    return bytes;
}

void WriteWhole(const std::string& path, const std::string& bytes) {
    StagedFile staged(path);
    staged.Write(bytes);
    staged.Commit();
}

}  // namespace release_list
