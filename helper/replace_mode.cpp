// Replace mode: the updater has exited (or is exiting), its new copy waits
// beside it under a staged name.
#include <shlwapi.h>

#include "helper/helper_box.h"
#include "helper/update_helper.h"

namespace helper {
namespace {

constexpr int kAttempts = 10;
constexpr DWORD kRetryDelayMs = 500;

// The updater may still be closing: deletion is retried to outlast its exit.
bool DeleteTarget(const char* target) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (!::PathFileExistsA(target)) return true;
        ::SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        if (::DeleteFileA(target)) return true;
        ::Sleep(kRetryDelayMs);
    }
    return false;
}

bool MoveSourceToTarget(const char* source, const char* target) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        ::SetFileAttributesA(source, FILE_ATTRIBUTE_NORMAL);
        if (::MoveFileA(source, target)) return true;
        ::Sleep(kRetryDelayMs);
    }
    return false;
}

}  // namespace

void ReplaceAndRelaunch(int argc, char** argv) {
    if (argc < 3) {
        ShowHelperBox("인수가 너무 적습니다!");
        return;
    }
    const char* source = argv[1];
    const char* target = argv[2];
    if (!CheckLaunchablePath(target)) return;
    // Without a usable copy, deleting the target would leave nothing to start:
    // keep the target as it is.
    if (!::PathFileExistsA(source) || ::lstrcmpiA(source, target) == 0) {
        ShowHelperBox("사본명을 변경하는 데 실패했습니다!");
        return;
    }
    if (!DeleteTarget(target)) {
        ShowHelperBox("원본 삭제에 실패했습니다!");
        return;
    }
    if (!MoveSourceToTarget(source, target)) {
        ShowHelperBox("사본명을 변경하는 데 실패했습니다!");
        return;
    }
    RelaunchProgram(target);
}

}  // namespace helper
