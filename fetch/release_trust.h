// What a run may trust of the files it fetches: either nothing is checked
// (a build without a release key), or the release whose signature verified
// in this run. Every "is this signed, does this match" question of the
// fetches and of the copy into place is answered here. A trust made by the
// default constructor checks and knows no release yet, so it admits nothing.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "base/unique_handle.h"
#include "integrity/release_signature.h"
#include "release/list_entry.h"
#include "transfer/transfer_sink.h"

namespace fetch {

class ReleaseTrust {
public:
    ReleaseTrust() = default;
    // A build without a release key: every file is taken as it stands.
    static ReleaseTrust WithoutKey();

    ReleaseTrust(ReleaseTrust&&) = default;
    ReleaseTrust& operator=(ReleaseTrust&&) = default;

    bool Checks() const { return checks_; }
    // The release's signature held: its files by remote name.
    void Accept(std::map<std::string, integrity::SignedFile> files);
    const std::map<std::string, integrity::SignedFile>& SignedFiles() const { return signed_; }

    // The entry's file is part of the release.
    bool Covers(const release::ListEntry& entry) const;
    // The signed size and SHA-256 of a remote name, or null when it is not signed.
    const integrity::SignedFile* Find(const std::string& remoteName) const;
    // A file announced with `size` may be fetched: signed with that size.
    bool AllowsAnnounced(const std::string& remoteName, uint32_t size) const;
    // Bytes fetched in memory for `remoteName` are the signed bytes.
    bool BytesMatch(const std::string& remoteName, const std::string& bytes) const;
    // The entry's staged file may be used: read through a handle that keeps
    // it unchanged until its copy, it has the signed size and SHA-256. The
    // handle stays here under the entry's index. Silent.
    bool Admits(const release::ListEntry& entry, const std::string& staged);
    // The same for a staged file whose download kept it open without
    // sharing from its first byte: its size and the SHA-256 taken as it was
    // written decide, and its own handle is the one held. One that does not
    // match is closed. Silent.
    bool AdmitsWritten(const release::ListEntry& entry, transfer::WrittenFile written);

    // The handle that holds the entry's staged file since its check, for the
    // copy to read from; null when none is held.
    HANDLE HeldFor(int32_t index) const;
    // The entry's staged file has been copied: it is no longer held.
    void LetGo(int32_t index);
    // The staged files are no longer held (a new comparison, or the run's end).
    void LetGoOfStaged();

private:
    void Hold(int32_t index, base::UniqueFile file);

    bool checks_ = true;
    // Set once per run, before any file is fetched; only read after.
    std::map<std::string, integrity::SignedFile> signed_;
    // Files in flight together are admitted from their own threads.
    std::unique_ptr<std::mutex> heldLock_ = std::make_unique<std::mutex>();
    std::map<int32_t, base::UniqueFile> held_;
};

}  // namespace fetch
