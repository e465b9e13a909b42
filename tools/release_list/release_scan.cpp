#include "tools/release_list/release_scan.h"

#include <algorithm>

#include "base/ansi_text.h"
#include "base/file_system.h"
#include "release/block_index.h"
#include "integrity/release_signature.h"
#include "tools/release_list/list_names.h"
#include "release/list_text.h"
#include "release/staging_layout.h"

namespace release_list {
namespace {

class Scanner {
public:
    explicit Scanner(const std::string& root) : root_(root) {}

    void Walk(const std::string& relative) {
        const std::string folder = relative.empty() ? root_ : base::JoinPath(root_, relative);
        std::vector<base::FolderEntry> entries;
        if (!base::ListFolder(folder, entries)) {
            result_.problems.push_back(Describe(relative) + ": cannot read the folder: " + base::LastFileErrorText());
            return;
        }
        // Names in one order whatever order the file system keeps, so the
        // problems read the same on every machine.
        std::sort(entries.begin(), entries.end(), [](const base::FolderEntry& a, const base::FolderEntry& b) {
            return base::ToLowerAnsi(a.name) < base::ToLowerAnsi(b.name);
        });
        for (const base::FolderEntry& entry : entries) {
            const std::string& name = entry.name;
            const std::string remote = relative.empty() ? name : relative + "/" + name;
            if (!entry.ascii) {
                result_.problems.push_back("\"" + remote +
                                           "\" is not plain ASCII; the server address cannot carry it without escapes");
                continue;
            }
            if (entry.folder) {
                // A folder the server cannot name is reported once, not per file.
                if (Check(remote)) Walk(remote);
                continue;
            }
            if (relative.empty() && IsReservedTopLevelName(name)) continue;
            if (IsBlockIndexName(name)) continue;
            if (!Check(remote)) continue;
            result_.files.push_back({remote, base::JoinPath(root_, remote)});
        }
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
