#include "fetch/byte_ledger.h"

namespace fetch {

void ByteLedger::Start(uint32_t total) {
    total_ = total;
    remaining_ = total;
}

void ByteLedger::CountAgain(uint32_t bytes) {
    total_ += bytes;
    remaining_ += bytes;
}

void ByteLedger::FetchInstead(uint32_t wholeSize, uint32_t indexSize, uint32_t planned) {
    total_ += indexSize + planned - wholeSize;
    remaining_ += planned - wholeSize;
}

void ByteLedger::Received(uint32_t chunk, uint32_t fileTotal) {
    if (total_ == 0) Start(fileTotal);
    remaining_ -= chunk;
}

}  // namespace fetch
