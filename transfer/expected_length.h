// What a download may be told of its own length before a byte of it is
// written: exactly a size the updater already knows (the signed size, the
// list's size), at most a cap (the texts that steer a run), or, for a file
// whose size the updater does not know, whatever the server says (the
// download must still fit on its drive). A size answer that breaks it is a
// failed attempt; the reads of the body never go past the size taken.
#pragma once

#include <cstdint>
#include <string>

namespace transfer {

class ExpectedLength {
public:
    static ExpectedLength Exactly(uint64_t size) { return ExpectedLength(Kind::kExactly, size); }
    static ExpectedLength AtMost(uint64_t cap) { return ExpectedLength(Kind::kAtMost, cap); }
    static ExpectedLength AsAnswered() { return ExpectedLength(Kind::kAsAnswered, 0); }

    // Empty when a size answer of `announced` bytes may be taken, otherwise
    // the diagnostic that refuses it.
    std::string Refusal(uint64_t announced) const;

private:
    enum class Kind { kExactly, kAtMost, kAsAnswered };
    ExpectedLength(Kind kind, uint64_t bytes) : kind_(kind), bytes_(bytes) {}

    Kind kind_;
    uint64_t bytes_;
};

}  // namespace transfer
