// What the main window shows for a progress report: bar positions and label
// texts, computed apart from the window so that the arithmetic can be checked
// on its own.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "base/window_protocol.h"
#include "transfer/transfer_records.h"

namespace app {

struct TransferDisplay {
    std::optional<int> filePosition;   // empty: keep the bar where it is (zero file size)
    std::optional<int> totalPosition;  // empty: keep the bar where it is (zero overall total)
    std::string fileInfo;              // label 1016: "<done> / <total>"
    std::string summary;               // label 1018: bytes, rate and seconds left
};

// The display of a report, from the file's figures and the run's that the
// fetch counted (fetch::CountedReport). `now` is the GetTickCount value of
// the moment.
TransferDisplay DescribeTransferProgress(const transfer::TransferProgress& record, DWORD now);

struct RegisterDisplay {
    int filePosition;
    std::string fileInfo;  // label 1016: "<count> 중 <current>개를 등록하고 있습니다!"
};

RegisterDisplay DescribeRegisterProgress(const RegisterProgress& progress);

}  // namespace app
