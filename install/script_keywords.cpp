#include "install/script_keywords.h"

#include <cstdlib>

#include "base/ansi_text.h"

namespace install {

ScriptKeywords ParseScriptKeywords(const base::StringList& fields) {
    ScriptKeywords keywords;
    struct Keyword {
        const char* text;
        std::string ScriptKeywords::*value;
    };
    const Keyword table[] = {
        {"$WAIT$:", &ScriptKeywords::wait},
        {"$REG_PATH$:", &ScriptKeywords::regPath},
        {"$REG_VALUE$:", &ScriptKeywords::regValue},
    };
    for (size_t i = 1; i < fields.size(); ++i) {
        const std::string field = base::Trim(fields[i]);
        const std::string upper = base::ToUpperAnsi(field);
        for (const Keyword& keyword : table) {
            const size_t at = upper.find(keyword.text);
            if (at == std::string::npos) continue;
            keywords.*keyword.value = base::Trim(field.substr(at + std::string(keyword.text).size()));
            break;
        }
    }
    return keywords;
}

unsigned long WaitMillisecondsFromText(const std::string& text) {
    // -1 converts to INFINITE (0xFFFFFFFF).
    return static_cast<unsigned long>(std::strtol(text.c_str(), nullptr, 10));
}

}  // namespace install
