#include "discovery/server_files.h"

#include "base/ansi_text.h"
#include "transfer/resumable_transfer.h"
#include "release/staging_layout.h"

namespace discovery {

std::string MakeServerUrl(const UpdateState& state, const std::string& name) {
    return base::FormatText("%s/%s", state.m_strServerUrl.c_str(), name.c_str());
}

bool FetchServerFile(UpdateState& state, const std::string& name, uint64_t cap) {
    const std::string url = MakeServerUrl(state, name);
    const std::string target = release::StagedName(state.m_strInstallFolder + name);
    state.m_nTotalBytes = 0;
    state.m_nRemainingBytes = 0;
    transfer::TransferBuffer buffer(kWorkBufferSize);
    transfer::TransferProgress progress;  // no window: these fetches report nothing
    return transfer::DownloadFileResumable(&progress, buffer, url, target, nullptr, kTransferAttempts,
                                           transfer::ExpectedLength::AtMost(cap)) == 1;
}

}  // namespace discovery
