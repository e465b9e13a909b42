#include "install/update_helper_file.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "base/held_file.h"
#include "base/link_guard.h"
#include "base/module_path.h"
#include "base/unique_handle.h"
#include "crypto/file_sha256.h"
#include "install/file_gate.h"
#include "install/process_launch.h"
#include "install/program_resources.h"
#include "install/running_programs.h"

namespace install {
namespace {

// The helper's bytes in this program's resources.
bool CarriedHelper(const void*& bytes, DWORD& size) {
    HMODULE self = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(self, MAKEINTRESOURCEA(UsedProgramResources().carriedHelper), "BIN");
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(self, found);
    if (!loaded) return false;
    bytes = ::LockResource(loaded);
    size = ::SizeofResource(self, found);
    return bytes != nullptr;
}

}  // namespace

std::string GetUpdateHelperPath() { return base::GetModuleFolder() + "UpdateHelper.exe"; }

bool ExtractUpdateHelper(const std::string& path) {
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!CarriedHelper(bytes, size)) return false;
    base::UniqueFile file = base::OpenForWriting(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes, size, &written, nullptr) && written == size;
}

namespace {

// Let go only when the process ends, after the helper has started.
bool KeepUntilExit(base::UniqueFile file, std::string& digestHex) {
    static std::vector<base::UniqueFile> held;
    crypto::Sha256Digest digest;
    uint64_t size = 0;
    if (!file || !crypto::HashOpenFile(file.get(), digest, size)) return false;
    digestHex = crypto::DigestToHex(digest);
    held.push_back(std::move(file));
    return true;
}

}  // namespace

bool HoldForHandOff(const std::string& program, std::string& digestHex) {
    return KeepUntilExit(base::OpenHeldFile(program), digestHex);
}

bool HoldForHandOff(HANDLE heldProgram, std::string& digestHex) {
    // A handle of its own on the same open file: it stays when the trust
    // lets go of its one.
    HANDLE own = nullptr;
    const HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, heldProgram, process, &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) return false;
    return KeepUntilExit(base::UniqueFile(own), digestHex);
}

bool PrepareUpdateHelper(base::RunReport& report, const std::string& path) {
    if (WaitForFilesFree({path}, report) != 0) return false;
    return ExtractUpdateHelper(path);
}

bool StartUpdateHelper(base::RunReport& report, const std::string& path, const std::string& arguments) {
    const void* carried = nullptr;
    DWORD size = 0;
    std::string written;
    const base::UniqueFile held = base::OpenHeldFile(path);
    if (!CarriedHelper(carried, size) || !held || !base::ReadHeldFile(held.get(), written) ||
        written.size() != size || std::memcmp(written.data(), carried, size) != 0)
        return false;
    StartProgram(OpenGate(), report, "\"" + path + "\"", true, arguments.c_str());
    return true;
}

}  // namespace install
