// Replace mode: the updater has exited (or is exiting), its new copy waits
// beside it under a staged name.
#include <shlwapi.h>


#include "base/ansi_text.h"
#include "base/link_guard.h"
#include "helper/checked_program.h"
#include "helper/helper_box.h"
#include "helper/update_helper.h"

namespace helper {
namespace {

constexpr int kAttempts = 10;
constexpr DWORD kRetryDelayMs = 500;

// The copy, opened so that it can be renamed through this very handle while
// no one else may write, rename or delete it. The updater holds it until it
// exits: the open is retried to outlast that, for up to 10 s.
base::UniqueFile OpenCopy(const char* source) {
    for (int attempt = 0; attempt < 2 * kAttempts; ++attempt) {
        base::UniqueFile copy(::CreateFileA(source, GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (copy) return copy;
        if (::GetLastError() != ERROR_SHARING_VIOLATION) break;
        ::Sleep(kRetryDelayMs);
    }
    return base::UniqueFile();
}

// The updater may still be closing: the replacement is retried to outlast
// its exit. The target's name is replaced, never written through, below
// folders held and found to be no links.
bool ReplaceTarget(HANDLE copy, const char* target) {
    const base::FoldersOnTheWay folders(base::FolderPart(target), base::FoldersOnTheWay::Make::kNone);
    if (!folders.ok()) return false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        base::ClearForReplacing(target);
        if (base::RenameOpenFile(copy, target)) return true;
        ::Sleep(kRetryDelayMs);
    }
    return false;
}

}  // namespace

void ReplaceAndRelaunch(int argc, char** argv) {
    if (argc < 4) {
        ShowHelperBox("인수가 너무 적습니다!");
        return;
    }
    const char* source = argv[1];
    const char* target = argv[2];
    crypto::Sha256Digest digest;
    if (!ReadDigestArgument(argv[3], digest) || !CheckLaunchablePath(target)) return;
    // Without a usable copy, replacing the target would leave nothing to
    // start: keep the target as it is.
    if (!::PathFileExistsA(source) || ::lstrcmpiA(source, target) == 0) {
        ShowHelperBox("사본명을 변경하는 데 실패했습니다!");
        return;
    }
    base::UniqueFile copy = OpenCopy(source);
    if (!copy) {
        ShowHelperBox("사본명을 변경하는 데 실패했습니다!");
        return;
    }
    if (!HoldsDigest(copy.get(), digest)) {
        ShowHelperBox("%s\n확인된 파일이 아니므로 실행하지 않습니다!", source);
        return;
    }
    if (!ReplaceTarget(copy.get(), target)) {
        ShowHelperBox("원본 삭제에 실패했습니다!");
        return;
    }
    copy.reset();
    RelaunchCheckedProgram(target, digest);
}

}  // namespace helper
