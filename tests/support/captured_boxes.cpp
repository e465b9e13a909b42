#include "tests/support/captured_boxes.h"

#include "base/message_box.h"

namespace testenv {

CapturedBoxes::CapturedBoxes(int answer) {
    base::SetMessageBoxHandler([this, answer](const std::string& text, UINT type) {
        boxes_.push_back({text, type});
        return answer;
    });
}

CapturedBoxes::~CapturedBoxes() { base::SetMessageBoxHandler(nullptr); }

}  // namespace testenv
