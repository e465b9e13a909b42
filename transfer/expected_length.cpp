#include "transfer/expected_length.h"

#include "base/ansi_text.h"

namespace transfer {

std::string ExpectedLength::Refusal(uint64_t announced) const {
    switch (kind_) {
    case Kind::kExactly:
        if (announced != bytes_) return base::FormatText("Size is different: %llu:%llu", bytes_, announced);
        break;
    case Kind::kAtMost:
        if (announced > bytes_) return base::FormatText("Size is over the limit: %llu:%llu", bytes_, announced);
        break;
    case Kind::kAsAnswered:
        break;
    }
    return std::string();
}

}  // namespace transfer
