// Finds which of a set of files running programs hold: loaded as a module by
// any process whose modules can be listed, or not openable exclusively.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "base/split_string.h"
#include "install/process_enumeration.h"

namespace install {

class CInstanceChecker : public CPSAPI {
public:
    // Appends every path of `files` that is in use to `inUse`, in upper case
    // and input order; returns how many were appended. Processes and modules
    // are taken afresh on every call.
    int FindFilesInUse(const base::StringList& files, base::StringList& inUse);

protected:
    bool OnProcess(const char* processName, DWORD processId) override;
    bool OnModule(HMODULE module, const char* fullPath, const char* baseName) override;

private:
    void Clear();

    std::vector<DWORD> m_processIds;
    // Upper-case full path of every loaded module.
    std::unordered_map<std::string, HMODULE> m_modules;
};

}  // namespace install
