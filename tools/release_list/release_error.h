// The one error type of the release list tool. Its text is what the operator
// reads; several problems found in one pass are joined line by line.
#pragma once

#include <stdexcept>
#include <string>

#include "base/split_string.h"

namespace release_list {

class ReleaseListError : public std::runtime_error {
public:
    explicit ReleaseListError(const std::string& message) : std::runtime_error(message) {}
};

// Throws one error listing every problem, when there is any.
void ThrowIfAny(const base::StringList& problems);

}  // namespace release_list
