// Restart mode: wait for the updater to end (or end it), then start it again,
// if it is still the program the updater vouched for.
#include "base/unique_handle.h"
#include "helper/checked_program.h"
#include "helper/helper_box.h"
#include "helper/update_helper.h"

namespace helper {
namespace {

// TerminateProcess only starts the end; the new instance must not meet the
// old one still alive (it refuses to run twice).
constexpr DWORD kTerminationWaitMs = 5000;

bool WaitForEnd(HANDLE process, int terminate, DWORD timeoutMs) {
    if (::WaitForSingleObject(process, timeoutMs) != WAIT_TIMEOUT) return true;
    if (!terminate || !::TerminateProcess(process, 0)) return false;
    ::WaitForSingleObject(process, kTerminationWaitMs);
    return true;
}

}  // namespace

void WaitAndRelaunch(const char* path, DWORD processId, int terminate, DWORD timeoutMs, const char* digestText) {
    crypto::Sha256Digest digest;
    if (!ReadDigestArgument(digestText, digest) || !CheckLaunchablePath(path)) return;
    base::UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    // A process that cannot be opened has already ended.
    if (process && !WaitForEnd(process.get(), terminate, timeoutMs)) {
        process.reset();
        ShowHelperBox("%s(을)를 다시 실행할 수 없습니다!\n해당 프로그램을 종료해 주시기 바랍니다.", path);
        return;
    }
    RelaunchCheckedProgram(path, digest);
}

}  // namespace helper
