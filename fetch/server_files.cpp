#include "fetch/server_files.h"

#include "base/ansi_text.h"
#include "release/staging_layout.h"
#include "transfer/resumable_transfer.h"

namespace fetch {

std::string ServerUrl(const FetchContext& context, const std::string& name) {
    return base::FormatText("%s/%s", context.serverUrl.c_str(), name.c_str());
}

bool FetchServerFile(FetchContext& context, const std::string& name, uint64_t cap) {
    const std::string url = ServerUrl(context, name);
    const std::string target = release::StagedName(context.installFolder + name);
    context.bytes.Start(0);
    transfer::TransferBuffer buffer(kWorkBufferSize);
    // The window counts no bytes of these; a box after their last attempt still shows.
    base::ProgressFreeReport quiet(context.report);
    transfer::TransferProgress progress;
    progress.report = &quiet;
    return transfer::DownloadFileResumable(&progress, buffer, url, target, nullptr, kTransferAttempts,
                                           transfer::ExpectedLength::AtMost(cap)) == transfer::kTransferDone;
}

}  // namespace fetch
