#include "install/process_enumeration.h"

#include <tlhelp32.h>

#include "base/unique_handle.h"

namespace install {
namespace {

using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
using ModuleWalkFn = BOOL(WINAPI*)(HANDLE, MODULEENTRY32*);

// Looked up at run time, so the program still starts on systems without them.
template <typename Fn>
Fn Kernel32Function(const char* name) {
    HMODULE kernel = ::GetModuleHandleA("KERNEL32.DLL");
    return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(kernel, name)))
                  : nullptr;
}

}  // namespace

bool CPSAPI::EnumerateProcesses() {
    auto createSnapshot = Kernel32Function<CreateSnapshotFn>("CreateToolhelp32Snapshot");
    auto first = Kernel32Function<ProcessWalkFn>("Process32First");
    auto next = Kernel32Function<ProcessWalkFn>("Process32Next");
    if (!createSnapshot || !first || !next) return false;

    base::UniqueFile snapshot(createSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return true;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = first(snapshot.get(), &entry); more; more = next(snapshot.get(), &entry)) {
        if (!OnProcess(entry.szExeFile, entry.th32ProcessID)) break;
    }
    return true;
}

bool CPSAPI::EnumerateModules(DWORD processId) {
    auto createSnapshot = Kernel32Function<CreateSnapshotFn>("CreateToolhelp32Snapshot");
    auto first = Kernel32Function<ModuleWalkFn>("Module32First");
    auto next = Kernel32Function<ModuleWalkFn>("Module32Next");
    if (!createSnapshot || !first || !next) return false;

    base::UniqueFile snapshot(createSnapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot) return true;
    MODULEENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = first(snapshot.get(), &entry); more; more = next(snapshot.get(), &entry)) {
        if (!OnModule(entry.hModule, entry.szExePath, entry.szModule)) break;
    }
    return true;
}

}  // namespace install
