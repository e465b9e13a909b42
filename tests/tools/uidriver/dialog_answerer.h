// Logs every dialog of the watched processes and answers it by the rules.
// A message box that no rule matches gets the default button (or the one
// --default names) and is logged as unanswered, so a test can fail on it;
// other dialogs are only answered by a rule. A dialog still open a second
// after its answer (a retry dialog that stays up) is looked at again.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/tools/uidriver/driver_options.h"
#include "tests/tools/uidriver/json_log.h"
#include "tests/tools/uidriver/window_text.h"

namespace uidriver {

class DialogAnswerer {
public:
    DialogAnswerer(JsonLog& log, Options& options) : log_(log), options_(options) {}
    void Visit(HWND dialog, DWORD pid);
    void Forget(HWND dialog) { seen_.erase(dialog); }

private:
    struct Seen {
        DWORD answeredAt = 0;
        bool answered = false;
    };
    // Index of the first rule that matches, or -1.
    int MatchRule(const std::string& title, const std::vector<ChildControl>& controls, bool isBox) const;
    bool Press(HWND dialog, const std::vector<ChildControl>& controls, const std::string& button, JsonLine& line);
    bool PressDefault(HWND dialog, const std::vector<ChildControl>& controls, JsonLine& line);

    JsonLog& log_;
    Options& options_;
    std::map<HWND, Seen> seen_;
};

}  // namespace uidriver
