// Walks the running processes and their loaded modules with the tool-help
// functions, looked up at run time in KERNEL32.DLL. Derived classes receive
// each process and module through the On... callbacks.
#pragma once

#include <windows.h>

namespace install {

class CPSAPI {
public:
    CPSAPI() = default;
    virtual ~CPSAPI() = default;
    CPSAPI(const CPSAPI&) = delete;
    CPSAPI& operator=(const CPSAPI&) = delete;

    // Calls OnProcess for every running process until it returns false. False
    // when the tool-help functions are not available.
    bool EnumerateProcesses();
    // Calls OnModule for every module of one process until it returns false.
    // A process whose modules cannot be listed (protected, 64-bit) reports
    // nothing. False when the tool-help functions are not available.
    bool EnumerateModules(DWORD processId);

protected:
    // Each returns true to go on enumerating.
    virtual bool OnTask(DWORD /*taskId*/) { return true; }
    virtual bool OnProcess(const char* /*processName*/, DWORD /*processId*/) { return true; }
    virtual bool OnModule(HMODULE /*module*/, const char* /*fullPath*/, const char* /*baseName*/) {
        return true;
    }
};

}  // namespace install
