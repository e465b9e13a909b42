#include "fetch/release_trust.h"

#include "base/held_file.h"
#include "crypto/sha256.h"
#include "integrity/release_verification.h"

namespace fetch {

ReleaseTrust ReleaseTrust::WithoutKey() {
    ReleaseTrust trust;
    trust.checks_ = false;
    return trust;
}

void ReleaseTrust::Accept(std::map<std::string, integrity::SignedFile> files) { signed_ = std::move(files); }

bool ReleaseTrust::Covers(const release::ListEntry& entry) const {
    return !checks_ || signed_.count(entry.remoteName) != 0;
}

const integrity::SignedFile* ReleaseTrust::Find(const std::string& remoteName) const {
    const auto known = signed_.find(remoteName);
    return known == signed_.end() ? nullptr : &known->second;
}

bool ReleaseTrust::AllowsAnnounced(const std::string& remoteName, uint32_t size) const {
    if (!checks_) return true;
    const integrity::SignedFile* known = Find(remoteName);
    return known && known->size == size;
}

bool ReleaseTrust::BytesMatch(const std::string& remoteName, const std::string& bytes) const {
    if (!checks_) return true;
    const integrity::SignedFile* known = Find(remoteName);
    crypto::Sha256Digest digest;
    return known && bytes.size() == known->size && crypto::HashBytes(bytes, digest) && digest == known->sha256;
}

bool ReleaseTrust::Admits(const release::ListEntry& entry, const std::string& staged) {
    if (!checks_) return true;
    const integrity::SignedFile* known = Find(entry.remoteName);
    if (!known) return false;
    base::UniqueFile held = base::OpenHeldFile(staged);
    if (!held || !integrity::OpenFileMatches(held.get(), *known)) return false;
    Hold(entry.index, std::move(held));
    return true;
}

bool ReleaseTrust::AdmitsWritten(const release::ListEntry& entry, transfer::WrittenFile written) {
    if (!checks_) return true;
    const integrity::SignedFile* known = Find(entry.remoteName);
    if (!known || !written.file) return false;
    const bool matches = written.hashed ? written.size == known->size && written.sha256 == known->sha256
                                        : integrity::OpenFileMatches(written.file.get(), *known);
    if (!matches) return false;
    Hold(entry.index, std::move(written.file));
    return true;
}

void ReleaseTrust::Hold(int32_t index, base::UniqueFile file) {
    const std::lock_guard<std::mutex> lock(*heldLock_);
    held_[index] = std::move(file);
}

HANDLE ReleaseTrust::HeldFor(int32_t index) const {
    const std::lock_guard<std::mutex> lock(*heldLock_);
    const auto held = held_.find(index);
    return held == held_.end() ? nullptr : held->second.get();
}

void ReleaseTrust::LetGo(int32_t index) {
    const std::lock_guard<std::mutex> lock(*heldLock_);
    held_.erase(index);
}

void ReleaseTrust::LetGoOfStaged() {
    const std::lock_guard<std::mutex> lock(*heldLock_);
    held_.clear();
}

}  // namespace fetch
