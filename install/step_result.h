// What an installation step tells its caller: whether it did all it was to
// do, and when not, the text that says why (the caller shows it or not).
#pragma once

#include <string>
#include <utility>

namespace install {

struct StepResult {
    static StepResult Done() { return StepResult{}; }
    static StepResult Failed(std::string text) { return StepResult{false, std::move(text)}; }

    explicit operator bool() const { return ok; }

    bool ok = true;
    std::string text;  // empty when ok
};

}  // namespace install
