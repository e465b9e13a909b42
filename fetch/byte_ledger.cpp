#include "fetch/byte_ledger.h"

namespace fetch {

void ByteLedger::Start(uint32_t total) {
    m_nTotalBytes = total;
    m_nRemainingBytes = total;
}

void ByteLedger::CountAgain(uint32_t bytes) {
    m_nTotalBytes += bytes;
    m_nRemainingBytes += bytes;
}

void ByteLedger::FetchInstead(uint32_t wholeSize, uint32_t indexSize, uint32_t planned) {
    m_nTotalBytes += indexSize + planned - wholeSize;
    m_nRemainingBytes += planned - wholeSize;
}

void ByteLedger::Received(uint32_t chunk, uint32_t fileTotal) {
    if (m_nTotalBytes == 0) Start(fileTotal);
    m_nRemainingBytes -= chunk;
}

void ByteLedger::Count(base::TransferProgress& progress) {
    Received(static_cast<uint32_t>(progress.lastChunk), static_cast<uint32_t>(progress.total));
    progress.runTotal = Total();
    progress.runRemaining = Remaining();
    progress.runStartTick = StartTick();
}

void ByteLedger::StartClock() { m_dwStartTick = ::GetTickCount(); }

}  // namespace fetch
