#include "install/post_update_script.h"

#include <shlwapi.h>

#include "base/ansi_text.h"
#include "base/link_guard.h"
#include "base/message_box.h"
#include "base/module_path.h"
#include "base/system_folders.h"
#include "base/usable_path.h"
#include "install/process_launch.h"
#include "install/registry.h"
#include "install/script_line.h"
#include "base/local_files.h"

namespace install {
namespace {

// Copies the font into the Windows font folder (an existing copy is kept),
// records `regValue` in the registry and makes the font available now.
DWORD InstallFont(const FileGate& gate, const std::string& path, const std::string& fileName,
                  const CRegistry& registry, const std::string& valueName, const std::string& regValue) {
    base::UniqueFile held;
    if (gate.Admit(path, held) == GateResult::kRefused) return 1;
    const std::string destination = base::WindowsFolder() + "\\Fonts\\" + fileName;
    ::CopyFileA(path.c_str(), destination.c_str(), TRUE);
    held.reset();

    DWORD result = 0;
    // The key is never created: the line's installer (or the system) owns it.
    if (!registry.IsOpen() || !WriteRegistryString(valueName, registry, regValue)) result = 1;
    if (::AddFontResourceA(fileName.c_str()) == 0) result = 1;
    return result;
}

// Handles one trimmed, non-empty line. False when a managed line failed. A
// line whose program lies outside the install folder is not started: it
// fails like a line whose program cannot be started.
bool RunLine(const FileGate& gate, base::RunReport& report, const std::string& line, const std::string& installFolder) {
    const ScriptLine parsed = ParseScriptLine(line, installFolder);
    const bool confined = base::CommandStaysBelowRoot(parsed.relativeCommand);
    if (!parsed.managed) {
        if (confined)
            StartProgram(gate, report, parsed.command, parsed.hide);
        else
            ShowStartError(report, parsed.command, ERROR_INVALID_NAME);
        return true;
    }
    return confined &&
           RunScriptLine(gate, parsed.path, nullptr, parsed.waitMilliseconds, parsed.regPath, parsed.regValue) == 0;
}

}  // namespace

std::string ScriptPathFor(const std::string& modulePath) {
    const size_t dot = modulePath.rfind('.');
    return (dot == std::string::npos ? modulePath : modulePath.substr(0, dot)) + ".ini";
}

bool RunPostUpdateScript(const FileGate& gate, base::RunReport& report) {
    return RunPostUpdateScript(ScriptPathFor(base::GetModulePath()), base::GetModuleFolder(), gate, report);
}

bool RunPostUpdateScript(const std::string& scriptPath, const std::string& installFolder, const FileGate& gate,
                         base::RunReport& report) {
    std::string text;
    bool ok = gate.ReadInstructions(scriptPath, text) == GateResult::kAdmitted;
    if (ok) {
        for (const std::string& line : ScriptLines(text)) {
            if (RunLine(gate, report, line, installFolder)) continue;
            report.ShowBox(base::FormatText("%s\n해당 라인을 처리할 수 없습니다!", base::EchoInBox(line).c_str()),
                           MB_OK | MB_ICONERROR);
            ok = false;
            break;
        }
    }
    // The script is consumed once, whatever happened.
    base::DeleteName(scriptPath);
    return ok;
}

DWORD RunScriptLine(const FileGate& gate, const std::string& path, const char* arguments, DWORD waitMilliseconds,
                    const std::string& regPath, const std::string& regValue) {
    const std::string registryPath = base::Trim(regPath);
    const std::string value = base::Trim(regValue);
    const std::string fileName = ::PathFindFileNameA(path.c_str());
    const bool fontLine = base::EqualsNoCase(::PathFindExtensionA(path.c_str()), ".TTF");
    // The font functions do not come back from a name that cannot be a file.
    if (fontLine && !base::IsUsablePath(path)) return 1;

    CRegistry registry;
    std::string current;
    HKEY root = nullptr;
    std::string keyPath, valueName;
    if (ParseRegistryPath(registryPath, root, keyPath, valueName) && registry.Open(root, keyPath))
        ReadRegistryString(valueName, registry, current);

    if (!value.empty()) {
        const bool satisfied =
            fontLine ? base::EqualsNoCase(current, value)
                     : base::ParseVersionValue(value) <= base::ParseVersionValue(current);
        if (satisfied) return 0;
    }
    if (fontLine) return InstallFont(gate, path, fileName, registry, valueName, value);

    const std::string commandLine = arguments ? path + " " + arguments : path;
    return RunForExitCode(gate, commandLine, waitMilliseconds);
}

}  // namespace install
