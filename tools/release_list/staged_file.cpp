#include "tools/release_list/staged_file.h"

#include <windows.h>

#include "base/system_error.h"
#include "base/unique_handle.h"
#include "release/list_text.h"
#include "tools/release_list/release_error.h"

namespace release_list {

StagedFile::StagedFile(std::string target) : target_(std::move(target)), temp_(target_ + release::kPartialSuffix) {}

StagedFile::~StagedFile() {
    if (!committed_) ::DeleteFileA(temp_.c_str());
}

void StagedFile::Write(const std::string& bytes) {
    base::UniqueFile file(
        ::CreateFileA(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw ReleaseListError("cannot create " + temp_ + ": " + base::SystemErrorText(::GetLastError()));
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !::FlushFileBuffers(file.get()))
        throw ReleaseListError("cannot write " + temp_ + ": " + base::SystemErrorText(::GetLastError()));
}

void StagedFile::Commit() {
    if (!::MoveFileExA(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw ReleaseListError("cannot replace " + target_ + ": " + base::SystemErrorText(::GetLastError()));
    committed_ = true;
}

std::string ReadExistingFile(const std::string& path) {
    base::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return std::string();
        throw ReleaseListError("cannot read " + path + ": " + base::SystemErrorText(error));
    }
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

void WriteWhole(const std::string& path, const std::string& bytes) {
    StagedFile staged(path);
    staged.Write(bytes);
    staged.Commit();
}

}  // namespace release_list
