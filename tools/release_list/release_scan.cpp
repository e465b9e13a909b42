#include "tools/release_list/release_scan.h"

#include <windows.h>

#include "base/ansi_text.h"
#include "base/system_error.h"
#include "base/unique_handle.h"
#include "release/block_index.h"
#include "integrity/release_signature.h"
#include "tools/release_list/list_names.h"
#include "release/list_text.h"
#include "release/staging_layout.h"

namespace release_list {
namespace {

std::wstring Widen(const std::string& ansi) {
    const int n = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], n);
    return wide;
}

// Wine shows characters that DOS names cannot hold ("|", ":", "*" ...) as
// U+F000 plus the character; they are turned back so a message names the
// real character. Characters the ANSI code page lacks become "?", for the
// message only: such a name is refused anyway.
std::string NameToAnsi(const wchar_t* name, bool& ascii) {
    std::wstring text(name);
    ascii = true;
    for (wchar_t& c : text) {
        if (c > 0xF000 && c < 0xF080) c = static_cast<wchar_t>(c - 0xF000);
        if (c >= 0x80) ascii = false;
    }
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], n, nullptr, nullptr);
    return ansi;
}

class Scanner {
public:
    explicit Scanner(const std::string& root) : root_(root) {}

    void Walk(const std::string& relative) {
        const std::string folder = relative.empty() ? root_ : root_ + "\\" + base::ReplaceAll(relative, "/", "\\");
        WIN32_FIND_DATAW data = {};
        base::UniqueFind find(::FindFirstFileW((Widen(folder) + L"\\*").c_str(), &data));
        if (!find) {
            result_.problems.push_back(Describe(relative) + ": cannot read the folder: " +
                                       base::SystemErrorText(::GetLastError()));
            return;
        }
        do {
            bool ascii = true;
            const std::string name = NameToAnsi(data.cFileName, ascii);
            if (name == "." || name == "..") continue;
            const std::string remote = relative.empty() ? name : relative + "/" + name;
            if (!ascii) {
                result_.problems.push_back("\"" + remote +
                                           "\" is not plain ASCII; the server address cannot carry it without escapes");
                continue;
            }
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                // A folder the server cannot name is reported once, not per file.
                if (Check(remote)) Walk(remote);
                continue;
            }
            if (relative.empty() && IsReservedTopLevelName(name)) continue;
            if (IsBlockIndexName(name)) continue;
            if (!Check(remote)) continue;
            result_.files.push_back({remote, root_ + "\\" + base::ReplaceAll(remote, "/", "\\")});
        } while (::FindNextFileW(find.get(), &data));
    }

    ScanResult Take() { return std::move(result_); }

private:
    static std::string Describe(const std::string& relative) { return relative.empty() ? "release folder" : relative; }

    bool Check(const std::string& remote) {
        const std::string problem = CheckRemoteName(remote);
        if (problem.empty()) return true;
        result_.problems.push_back("\"" + remote + "\" " + problem);
        return false;
    }

    std::string root_;
    ScanResult result_;
};

}  // namespace

bool IsReservedTopLevelName(const std::string& name) {
    for (const char* own : {release::kListFileName, release::kSignatureFileName, release::kGatewayFileName})
        if (base::EqualsNoCase(name, own) || base::EqualsNoCase(name, own + release::kPartialSuffix)) return true;
    return false;
}

bool IsBlockIndexName(const std::string& name) {
    const std::string suffix = release::kIndexSuffix;
    return name.size() > suffix.size() && base::EqualsNoCase(name.substr(name.size() - suffix.size()), suffix);
}

ScanResult ScanRelease(const std::string& folder) {
    Scanner scanner(folder);
    scanner.Walk(std::string());
    return scanner.Take();
}

}  // namespace release_list
