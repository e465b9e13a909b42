// Byte counts as the short size texts the window shows.
#include <gtest/gtest.h>

#include "base/format_size.h"

namespace {

TEST(FormatSize, IntegerFormsTruncateAndStepOnlyAbove1024) {
    EXPECT_EQ("0.00B", base::FormatSize(uint64_t(0)));
    EXPECT_EQ("1024.00B", base::FormatSize(uint64_t(1024)));
    EXPECT_EQ("1.00KB", base::FormatSize(uint64_t(1025)));
    EXPECT_EQ("1.49KB", base::FormatSize(uint64_t(1535)));
    EXPECT_EQ("1024.00KB", base::FormatSize(uint64_t(1048576)));
    EXPECT_EQ("1024.00KB", base::FormatSize(uint64_t(1048577)));
    EXPECT_EQ("1.00MB", base::FormatSize(uint64_t(1049600)));
    EXPECT_EQ("2.99GB", base::FormatSize(uint64_t(3ull * 1024 * 1024 * 1024 - 1)));
    EXPECT_EQ("15.99EB", base::FormatSize(UINT64_MAX));
    EXPECT_EQ("1.49KB", base::FormatSize(uint32_t(1535)));
    EXPECT_EQ("3.99GB", base::FormatSize(UINT32_MAX));
}

TEST(FormatSize, FloatingFormRoundsAndStaysAtTheLastUnit) {
    EXPECT_EQ("1.50KB", base::FormatSize(1535.0));
    EXPECT_EQ("1024.00B", base::FormatSize(1024.0));
    EXPECT_EQ("0.50B", base::FormatSize(0.5));
    EXPECT_EQ("1.00MB", base::FormatSize(1048577.0));
    EXPECT_EQ("2048.00EB", base::FormatSize(2048.0 * 1152921504606846976.0));
}

}  // namespace
