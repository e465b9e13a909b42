#include "tests/tools/uidriver/dialog_answerer.h"

#include <algorithm>
#include <cstdlib>

namespace uidriver {
namespace {

constexpr DWORD kRevisitAfterMs = 1000;

bool IsBoxTextControl(const ChildControl& c) {
    return (c.id == 0xFFFF || c.id == -1) && c.cls == "Static";
}

// A message box holds only statics and buttons, its text in static 0xFFFF.
bool IsMessageBox(const std::vector<ChildControl>& controls) {
    return std::any_of(controls.begin(), controls.end(), IsBoxTextControl) &&
           std::all_of(controls.begin(), controls.end(),
                       [](const ChildControl& c) { return c.cls == "Static" || c.cls == "Button"; });
}

std::string DialogText(const std::vector<ChildControl>& controls, bool isBox) {
    std::string text;
    for (const ChildControl& c : controls) {
        if (isBox ? !IsBoxTextControl(c) : (c.cls != "Static" && c.cls != "Edit")) continue;
        if (c.text.empty()) continue;
        if (!text.empty()) text += "\n";
        text += c.text;
    }
    return text;
}

bool IsNumber(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool Responsive(HWND window) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 300, &result) != 0;
}

}  // namespace

int DialogAnswerer::MatchRule(const std::string& title, const std::vector<ChildControl>& controls,
                              bool isBox) const {
    for (size_t i = 0; i < options_.rules.size(); ++i) {
        const std::string& pattern = options_.rules[i].pattern;
        // An empty pattern stands for "any message box", never for other dialogs.
        if (pattern.empty()) {
            if (isBox) return static_cast<int>(i);
            continue;
        }
        if (title.find(pattern) != std::string::npos) return static_cast<int>(i);
        for (const ChildControl& c : controls)
            if (c.text.find(pattern) != std::string::npos) return static_cast<int>(i);
    }
    return -1;
}

bool DialogAnswerer::Press(HWND dialog, const std::vector<ChildControl>& controls, const std::string& button,
                           JsonLine& line) {
    for (const ChildControl& c : controls) {
        if (c.cls != "Button") continue;
        const bool match = IsNumber(button) ? c.id == std::atoi(button.c_str())
                                            : WithoutAccelerators(c.text) == WithoutAccelerators(button);
        if (!match) continue;
        // Posted, not sent: the dialog's handler may take its time.
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(c.id, BN_CLICKED), reinterpret_cast<LPARAM>(c.hwnd));
        line.Number("id", c.id).Text("button", c.text);
        return true;
    }
    return false;
}

bool DialogAnswerer::PressDefault(HWND dialog, const std::vector<ChildControl>& controls, JsonLine& line) {
    if (!options_.defaultButton.empty()) return Press(dialog, controls, options_.defaultButton, line);
    DWORD_PTR defId = 0;
    if (::SendMessageTimeoutA(dialog, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 300, &defId) &&
        HIWORD(defId) == DC_HASDEFID && Press(dialog, controls, std::to_string(LOWORD(defId)), line))
        return true;
    for (const ChildControl& c : controls)
        if (c.cls == "Button") return Press(dialog, controls, std::to_string(c.id), line);
    return false;
}

void DialogAnswerer::Visit(HWND dialog, DWORD pid) {
    auto known = seen_.find(dialog);
    if (known != seen_.end()) {
        const Seen& s = known->second;
        if (!s.answered || ::GetTickCount() - s.answeredAt < kRevisitAfterMs || !Responsive(dialog)) return;
    }
    const std::vector<ChildControl> controls = ChildControls(dialog);
    const std::string title = WindowText(dialog);
    const bool isBox = IsMessageBox(controls);
    log_.Write(JsonLine(isBox ? "box" : "dialog")
                   .Number("hwnd", reinterpret_cast<UINT_PTR>(dialog))
                   .Number("pid", pid)
                   .Text("title", title)
                   .Text("text", DialogText(controls, isBox))
                   .Raw("controls", ControlsJson(controls)));

    Seen& seen = seen_[dialog];
    const int rule = MatchRule(title, controls, isBox);
    JsonLine answer("answer");
    answer.Number("hwnd", reinterpret_cast<UINT_PTR>(dialog));
    bool pressed = false;
    if (rule >= 0) {
        const AnswerRule matched = options_.rules[rule];
        answer.Text("rule", matched.pattern + "=" + matched.button);
        pressed = Press(dialog, controls, matched.button, answer);
        if (pressed && matched.once) options_.rules.erase(options_.rules.begin() + rule);
        if (!pressed) log_.Write(JsonLine("answer-error").Number("hwnd", reinterpret_cast<UINT_PTR>(dialog))
                                     .Text("button", matched.button).Text("error", "no such button"));
    } else {
        answer.Null("rule");
    }
    if (!pressed && isBox) {
        // Nothing may wait for a person: take the default and say so.
        answer.Bool("unanswered", true);
        pressed = PressDefault(dialog, controls, answer);
    } else {
        answer.Bool("unanswered", false);
    }
    if (pressed) {
        log_.Write(answer);
        seen.answered = true;
        seen.answeredAt = ::GetTickCount();
    }
}

}  // namespace uidriver
