#include "install/home_entry.h"

#include "base/link_guard.h"

namespace install {
namespace {

// Not in the headers of the Windows version this program is built for.
constexpr int kFileBasicInfo = 0;     // FILE_INFO_BY_HANDLE_CLASS FileBasicInfo
constexpr int kFileStandardInfo = 1;  // FileStandardInfo
struct BasicInfo {
    LARGE_INTEGER creation, lastAccess, lastWrite, change;
    DWORD attributes;
};
struct StandardInfo {
    LARGE_INTEGER allocation, endOfFile;
    DWORD links;
    BOOLEAN deletePending, directory;
};
using InfoByHandleFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);

template <typename Function>
Function KernelFunction(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name)));
}

// The two small queries where the system has them: the older call also asks
// the volume for its serial number, which costs Wine a round trip to its
// mount manager for every entry.
bool ReadAttributesAndLinks(HANDLE entry, EntryFacts& facts) {
    static const auto byClass = KernelFunction<InfoByHandleFn>("GetFileInformationByHandleEx");
    if (byClass) {
        BasicInfo basic = {};
        StandardInfo standard = {};
        if (!byClass(entry, kFileBasicInfo, &basic, sizeof(basic)) ||
            !byClass(entry, kFileStandardInfo, &standard, sizeof(standard)))
            return false;
        facts.attributes = basic.attributes;
        facts.links = standard.links;
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!::GetFileInformationByHandle(entry, &info)) return false;
    facts.attributes = info.dwFileAttributes;
    facts.links = info.nNumberOfLinks;
    return true;
}

}  // namespace

base::UniqueFile OpenEntry(const std::string& path, bool folder) {
    DWORD access = READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    // Only an opening that asks for data access is checked against, and
    // holds, the sharing rules: listing is what keeps a folder in place.
    if (folder) access |= FILE_LIST_DIRECTORY;
    return base::UniqueFile(::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                          nullptr));
}

bool ReadEntryFacts(HANDLE entry, EntryFacts& facts) {
    return ReadAttributesAndLinks(entry, facts) && base::FinalNameOf(entry, facts.finalPath);
}

bool ReadFolderFinalPath(const std::string& folder, std::string& finalPath) {
    const base::UniqueFile handle(::CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle && base::FinalNameOf(handle.get(), finalPath);
}

}  // namespace install
