#include "tests/tools/uidriver/text_changes.h"

#include <cstdlib>

#include "base/module_path.h"
#include "tests/tools/uidriver/hook/text_line.h"

namespace uidriver {

TextChanges::~TextChanges() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
}

void TextChanges::Begin(const std::string& file) {
    file_ = file;
    ::DeleteFileA(file_.c_str());
    ::SetEnvironmentVariableA(uidriverhook::kLogVariable, file_.c_str());
    const std::string dll = base::GetModuleFolder() + "uidriver_hook.dll";
    module_.reset(::LoadLibraryA(dll.c_str()));
    FARPROC proc = module_ ? ::GetProcAddress(module_.get(), "UidriverTextHook@12") : nullptr;
    if (!proc && module_) proc = ::GetProcAddress(module_.get(), "UidriverTextHook");
    if (proc)
        hook_ = ::SetWindowsHookExA(WH_CALLWNDPROCRET, reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(proc)),
                                    module_.get(), 0);
    JsonLine line("hook");
    line.Text("dll", dll).Text("file", file_).Bool("ok", hook_ != nullptr);
    if (!hook_) line.Number("error", ::GetLastError());
    log_.Write(line);
}

void TextChanges::ProgramStarted() { ::SetEnvironmentVariableA(uidriverhook::kLogVariable, nullptr); }

void TextChanges::Poll() {
    if (file_.empty()) return;
    base::UniqueFile file(::CreateFileA(file_.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(read_);
    if (!::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) return;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        read_ += got;
        partial_.append(buffer, got);
    }
    size_t start = 0;
    for (size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1) {
        // "<tick> <members>": the tick dates the event, not the moment it is read.
        const std::string entry = partial_.substr(start, end - start);
        const size_t space = entry.find(' ');
        if (space == std::string::npos) continue;
        const DWORD tick = std::strtoul(entry.c_str(), nullptr, 10);
        log_.WriteAt(tick - log_.StartTick(), JsonLine("settext").Members(entry.substr(space + 1)));
    }
    partial_.erase(0, start);
}

void TextChanges::End() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    Poll();
}

}  // namespace uidriver
