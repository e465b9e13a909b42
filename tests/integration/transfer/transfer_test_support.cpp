#include "tests/integration/transfer/transfer_test_support.h"


namespace transfertest {

std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 12345u;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>((state >> 16) ^ i);
    }
    return bytes;
}

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    return ::testing::AssertionFailure() << "bytes differ: length " << actual.size() << " instead of "
                                         << expected.size() << ", first difference at offset " << at;
}

}  // namespace transfertest
