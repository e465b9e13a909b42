#include "base/system_error.h"

#include "base/ansi_text.h"
#include "base/unique_handle.h"

namespace base {

std::string SystemErrorText(DWORD code, HMODULE module) {
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                  (module ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM);
    char* text = nullptr;
    DWORD len = ::FormatMessageA(flags, module, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    UniqueLocalMemory owner(text);
    if (len == 0 || !text) return std::string();
    return Trim(std::string(text, len));
}

}  // namespace base
