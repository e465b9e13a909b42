#include "install/program_path.h"

#include <windows.h>

#include "base/system_folders.h"

namespace install {
namespace {

bool IsFullPath(const std::string& name) {
    return (name.size() > 2 && name[1] == ':' && name[2] == '\\') || name.compare(0, 2, "\\\\") == 0;
}

bool IsFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithExtension(const std::string& name) {
    const size_t slash = name.rfind('\\');
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? name : name + ".exe";
}

std::string Find(const std::string& name, const std::string& programFolder) {
    if (name.empty() || name.find('"') != std::string::npos) return std::string();
    const std::string file = WithExtension(name);
    if (IsFullPath(file)) return IsFile(file) ? file : std::string();
    const std::string folders[] = {programFolder, base::SystemFolder() + "\\", base::WindowsFolder() + "\\"};
    for (const std::string& folder : folders) {
        if (folder.size() > 1 && IsFile(folder + file)) return folder + file;
    }
    return std::string();
}

}  // namespace

std::string ResolveProgram(const std::string& commandLine, const std::string& programFolder) {
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t close = commandLine.find('"', 1);
        return Find(commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1), programFolder);
    }
    for (size_t blank = commandLine.find_first_of(" \t");; blank = commandLine.find_first_of(" \t", blank + 1)) {
        const std::string found = Find(commandLine.substr(0, blank), programFolder);
        if (!found.empty() || blank == std::string::npos) return found;
    }
}

}  // namespace install
