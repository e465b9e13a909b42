#include "install/process_launch.h"

#include <vector>

#include "base/ansi_text.h"
#include "base/message_box.h"
#include "base/module_path.h"
#include "base/system_error.h"
#include "base/unique_handle.h"
#include "base/usable_path.h"
#include "install/program_path.h"

namespace install {
namespace {

enum class Launched { kStarted, kFailed, kRefused };

std::string JoinArguments(const std::string& commandLine, const char* arguments) {
    return arguments ? commandLine + " " + arguments : commandLine;
}

// CreateProcessA may write into the command line, so it gets its own copy.
// kFailed leaves the reason in GetLastError().
Launched Launch(const FileGate& gate, const std::string& commandLine, STARTUPINFOA& startup,
                base::ProcessHandles& out) {
    if (!base::IsUsableCommandLine(commandLine)) {
        ::SetLastError(commandLine.find('\0') == std::string::npos ? ERROR_FILENAME_EXCED_RANGE : ERROR_INVALID_NAME);
        return Launched::kFailed;
    }
    const std::string program = ResolveProgram(commandLine, base::GetModuleFolder());
    base::UniqueFile held;
    const GateResult admitted = program.empty() ? GateResult::kMissing : gate.Admit(program, held);
    if (admitted == GateResult::kRefused) return Launched::kRefused;
    if (admitted == GateResult::kMissing) {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return Launched::kFailed;
    }
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                          nullptr, nullptr, &startup, &info))
        return Launched::kFailed;
    out.process.reset(info.hProcess);
    out.thread.reset(info.hThread);
    out.processId = info.dwProcessId;
    return Launched::kStarted;
}

}  // namespace

bool StartProgram(const FileGate& gate, base::RunReport& report, const std::string& commandLine, bool hide,
                  const char* arguments) {
    const std::string line = JoinArguments(commandLine, arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = hide ? SW_HIDE : SW_SHOWNORMAL;
    base::ProcessHandles process;
    const Launched launched = Launch(gate, line, startup, process);
    if (launched != Launched::kFailed) return launched == Launched::kStarted;
    ShowStartError(report, line, ::GetLastError());
    return false;
}

void ShowStartError(base::RunReport& report, const std::string& commandLine, DWORD error) {
    if (error == ERROR_FILE_NOT_FOUND) return;
    report.ShowBox(base::FormatText("%s\r\nRun Error: [%lu] %s", base::EchoInBox(commandLine).c_str(), error,
                                    base::SystemErrorText(error).c_str()),
                   MB_OK);
}

DWORD RunForExitCode(const FileGate& gate, const std::string& commandLine, DWORD waitMilliseconds) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    base::ProcessHandles process;
    if (Launch(gate, commandLine, startup, process) != Launched::kStarted) return static_cast<DWORD>(-1);
    ::WaitForSingleObject(process.process.get(), waitMilliseconds);
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(process.process.get(), &exitCode)) return ::GetLastError();
    return exitCode;
}

DWORD RunAndWait(const FileGate& gate, const std::string& commandLine, const char* arguments) {
    return RunForExitCode(gate, JoinArguments(commandLine, arguments), INFINITE);
}

}  // namespace install
