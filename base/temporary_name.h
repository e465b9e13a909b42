// A file this program writes for the span of a scope (a staged copy it reads
// once, the staged list of a run): its name is deleted when the scope ends,
// however it ends, or earlier where Delete() says. The delete follows no link
// (base/link_guard.h).
#pragma once

#include <string>
#include <utility>

#include "base/link_guard.h"

namespace base {

class TemporaryName {
public:
    explicit TemporaryName(std::string path) : path_(std::move(path)) {}
    ~TemporaryName() { Delete(); }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;

    const std::string& path() const { return path_; }
    // Deleted now; the end of the scope deletes nothing more.
    void Delete() {
        if (deleted_) return;
        deleted_ = true;
        DeleteName(path_);
    }

private:
    std::string path_;
    bool deleted_ = false;
};

}  // namespace base
