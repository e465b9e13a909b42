#include "install/register_progress.h"

namespace install {
namespace {

bool HasWindow(const RegisterProgress* progress) { return progress && progress->hWnd; }

}  // namespace

void BeginProgress(RegisterProgress* progress, size_t count) {
    if (!HasWindow(progress)) return;
    progress->current = 0;
    progress->count = static_cast<int32_t>(count);
}

void AdvanceProgress(RegisterProgress* progress) {
    if (!HasWindow(progress)) return;
    ++progress->current;
    ::SendMessageA(progress->hWnd, UM_REGISTER_PROGRESS, 0, reinterpret_cast<LPARAM>(progress));
}

}  // namespace install
