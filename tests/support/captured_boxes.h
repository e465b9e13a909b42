// Takes the updater's message boxes for the span of a test: each box is
// recorded and answered with a chosen button instead of being shown.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testenv {

struct CapturedBox {
    std::string text;  // ANSI, as the program passed it
    UINT type;
};

class CapturedBoxes {
public:
    explicit CapturedBoxes(int answer = IDOK);
    ~CapturedBoxes();
    CapturedBoxes(const CapturedBoxes&) = delete;
    CapturedBoxes& operator=(const CapturedBoxes&) = delete;

    const std::vector<CapturedBox>& boxes() const { return boxes_; }
    size_t count() const { return boxes_.size(); }

private:
    std::vector<CapturedBox> boxes_;
};

}  // namespace testenv
