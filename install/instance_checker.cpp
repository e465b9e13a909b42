#include "install/instance_checker.h"

#include "base/ansi_text.h"
#include "install/running_programs.h"

namespace install {

int CInstanceChecker::FindFilesInUse(const base::StringList& files, base::StringList& inUse) {
    Clear();
    EnumerateProcesses();
    for (DWORD id : m_processIds) EnumerateModules(id);

    int count = 0;
    for (const std::string& file : files) {
        const std::string upper = base::ToUpperAnsi(file);
        if (m_modules.count(upper) || IsFileLocked(file)) {
            inUse.push_back(upper);
            ++count;
        }
    }
    Clear();
    return count;
}

bool CInstanceChecker::OnProcess(const char*, DWORD processId) {
    m_processIds.push_back(processId);
    return true;
}

bool CInstanceChecker::OnModule(HMODULE module, const char* fullPath, const char*) {
    m_modules[base::ToUpperAnsi(fullPath)] = module;
    return true;
}

void CInstanceChecker::Clear() {
    m_processIds.clear();
    m_modules.clear();
}

}  // namespace install
