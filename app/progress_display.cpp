#include "app/progress_display.h"

#include <cmath>
#include <cstdint>

#include "base/ansi_text.h"
#include "base/format_size.h"

namespace app {

TransferDisplay DescribeTransferProgress(const transfer::TransferProgress& record, DWORD now) {
    const uint32_t total = record.runTotal;
    const uint32_t remaining = record.runRemaining;
    const uint32_t overallDone = total - remaining;

    TransferDisplay display;
    if (record.total != 0)
        display.filePosition =
            static_cast<int>(std::trunc(static_cast<double>(record.done) / static_cast<double>(record.total) * 100.0));

    if (total != 0)
        display.totalPosition = static_cast<int>(std::trunc(static_cast<double>(overallDone) / total * 90.0));

    double elapsed = static_cast<uint32_t>(now - record.runStartTick) / 1000.0;
    if (elapsed == 0.0) elapsed = 0.001;
    double rate = overallDone / elapsed;
    if (static_cast<uint32_t>(static_cast<uint64_t>(std::trunc(rate))) == 0) rate = 1.0;
    const uint32_t wholeRate = static_cast<uint32_t>(static_cast<uint64_t>(std::trunc(rate)));
    const uint64_t secondsLeft = remaining / wholeRate + 1;

    display.fileInfo = base::FormatFileBytes(record.done, record.total);
    display.summary = base::FormatRunSummary(overallDone, total, rate, secondsLeft);
    return display;
}

RegisterDisplay DescribeRegisterProgress(const RegisterProgress& progress) {
    RegisterDisplay display;
    display.filePosition =
        progress.count <= 0
            ? 100
            : static_cast<int>(std::trunc(static_cast<double>(progress.current) / progress.count * 100.0));
    display.fileInfo = base::FormatText("%u 중 %u개를 등록하고 있습니다!", static_cast<unsigned>(progress.count),
                                        static_cast<unsigned>(progress.current));
    return display;
}

}  // namespace app
