#include "install/register_progress.h"

namespace install {
namespace {

bool Reports(const RegisterProgress* progress) { return progress && progress->report; }

}  // namespace

void BeginProgress(RegisterProgress* progress, size_t count) {
    if (!Reports(progress)) return;
    progress->current = 0;
    progress->count = static_cast<int32_t>(count);
}

void AdvanceProgress(RegisterProgress* progress) {
    if (!Reports(progress)) return;
    ++progress->current;
    progress->report->Registered(*progress);
}

}  // namespace install
