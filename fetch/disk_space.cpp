#include "fetch/disk_space.h"

#include <windows.h>

#include <map>

#include "base/ansi_text.h"
#include "fetch/planned_files.h"
#include "release/file_identity.h"
#include "release/staging_layout.h"

namespace fetch {
namespace {

struct Volume {
    std::string folder;  // asked for its free space: it exists
    uint64_t needed = 0;
};

// The folder whose volume takes the entry's writes: the install folder, or
// for a file outside it (the system folder's) its own folder. A folder
// mounted below the install folder is a link the home walk removed.
std::string FolderTaking(const std::string& target, const std::string& installFolder) {
    const std::string lower = base::ToLowerAnsi(target);
    if (lower.compare(0, installFolder.size(), base::ToLowerAnsi(installFolder)) == 0) return installFolder;
    return base::FolderPart(target);
}

// The volume's root, which tells two folders on one volume apart from two
// volumes; the folder itself where it cannot be told.
std::string VolumeOf(const std::string& folder) {
    char root[MAX_PATH] = {};
    if (!::GetVolumePathNameA(folder.c_str(), root, MAX_PATH)) return base::ToLowerAnsi(folder);
    return base::ToLowerAnsi(root);
}

}  // namespace

uint64_t BytesWritten(const release::ListEntry& entry, const std::string& installFolder) {
    const std::string target = release::FullPath(entry, installFolder);
    const uint64_t size = entry.size;
    const uint64_t staged = release::GetFileSize64(release::StagedName(target));
    const uint64_t replaced = release::GetFileSize64(target);
    return (size > staged ? size - staged : 0) + (size > replaced ? size - replaced : 0);
}

bool PlanFits(const release::EntryMap& plan, const std::string& installFolder, SpaceShortfall& shortfall) {
    // Bytes by the folder that takes them (almost always the install folder
    // alone), then folders by volume.
    std::map<std::string, uint64_t> byFolder;
    for (const auto& item : plan) {
        // A name the fetch will refuse is neither measured nor asked about.
        const std::string target = release::FullPath(item.second, installFolder);
        if (!IsStageable(item.second, release::StagedName(target))) continue;
        byFolder[FolderTaking(target, installFolder)] += BytesWritten(item.second, installFolder);
    }
    std::map<std::string, Volume> volumes;
    for (const auto& item : byFolder) {
        Volume& volume = volumes[VolumeOf(item.first)];
        if (volume.folder.empty() || base::EqualsNoCase(item.first, installFolder)) volume.folder = item.first;
        volume.needed += item.second;
    }
    for (const auto& item : volumes) {
        const Volume& volume = item.second;
        ULARGE_INTEGER freeToCaller = {}, total = {}, totalFree = {};
        // Free space is asked of the folder, not the drive: a quota or a
        // volume mounted on a folder is what the writes meet.
        if (volume.needed == 0 || !::GetDiskFreeSpaceExA(volume.folder.c_str(), &freeToCaller, &total, &totalFree))
            continue;
        if (volume.needed > freeToCaller.QuadPart) {
            shortfall = {volume.folder, volume.needed, freeToCaller.QuadPart};
            return false;
        }
    }
    return true;
}

}  // namespace fetch
