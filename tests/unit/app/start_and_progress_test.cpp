// The start-up placement rule and the arithmetic behind the window's bars and texts.
#include <gtest/gtest.h>

#include "app/home_folder.h"
#include "app/progress_display.h"
#include "app/update_run.h"
#include "fetch/byte_ledger.h"

namespace {

TEST(HomeFolder, InPlaceOnlyDirectlyInArkenfelAtTheRoot) {
    EXPECT_TRUE(app::IsInPlace("C:\\ARKENFEL\\Arkenfel_Update.exe"));
    EXPECT_TRUE(app::IsInPlace("c:\\arkenfel\\x.exe"));
    EXPECT_TRUE(app::IsInPlace("D:\\Arkenfel\\Other.exe"));
    EXPECT_FALSE(app::IsInPlace("C:\\ARKENFEL\\sub\\Arkenfel_Update.exe"));
    EXPECT_FALSE(app::IsInPlace("C:\\Games\\ARKENFEL\\x.exe"));
    EXPECT_FALSE(app::IsInPlace("C:\\Arkenfel_Update.exe"));
    EXPECT_EQ("C:\\ARKENFEL\\", app::HomeFolderFor("C:\\Games\\ARKENFEL\\x.exe"));
    EXPECT_EQ("D:\\ARKENFEL\\", app::HomeFolderFor("D:\\a\\b\\c.exe"));
}

TEST(CopyPhase, MovesTheTotalBarFromNinetyToOneHundred) {
    EXPECT_EQ(92, app::CopyPhasePosition(1, 4));
    EXPECT_EQ(95, app::CopyPhasePosition(2, 4));
    EXPECT_EQ(97, app::CopyPhasePosition(3, 4));
    EXPECT_EQ(100, app::CopyPhasePosition(4, 4));
    EXPECT_EQ(93, app::CopyPhasePosition(1, 3));
    EXPECT_EQ(100, app::CopyPhasePosition(1, 1));
}

transfer::TransferProgress Record(uint64_t chunk, uint64_t done, uint64_t total) {
    transfer::TransferProgress record;
    record.lastChunk = chunk;
    record.done = done;
    record.total = total;
    record.remaining = total - done;
    return record;
}

// The record as the window gets it: counted in the run's ledger on its way
// (a run's downloads that began at `startTick`).
transfer::TransferProgress Counted(fetch::ByteLedger& bytes, DWORD startTick, transfer::TransferProgress record) {
    record.report = &base::SilentReport();
    record.counter = &bytes;
    transfer::ReportProgress(record);
    record.runStartTick = startTick;
    return record;
}

TEST(TransferProgressDisplay, FirstReportMakesTheFileSizeTheOverallTotal) {
    fetch::ByteLedger bytes;
    const app::TransferDisplay display =
        app::DescribeTransferProgress(Counted(bytes, 1000, Record(512, 512, 2048)), 3000);
    EXPECT_EQ(2048u, bytes.Total());
    EXPECT_EQ(1536u, bytes.Remaining());
    EXPECT_EQ(25, display.filePosition.value());
    EXPECT_EQ(22, display.totalPosition.value());  // trunc(512 / 2048 * 90)
    EXPECT_EQ("512.00B / 2.00KB", display.fileInfo);
    // 512 bytes in 2 s: 256 B/s, 1536 / 256 + 1 = 7 seconds left
    EXPECT_EQ("512.00B / 2.00KB (256.00B/s / 7초 남음)", display.summary);
}

TEST(TransferProgressDisplay, GuardsElapsedZeroSlowRatesAndTheLastBlock) {
    fetch::ByteLedger instant;
    instant.Start(4096);
    EXPECT_NE(std::string::npos,
              app::DescribeTransferProgress(Counted(instant, 5000, Record(1024, 1024, 4096)), 5000)
                  .summary.find("1000.00KB/s"));

    fetch::ByteLedger slow;
    slow.Start(100);
    // 0 bytes done after 10 s: the rate counts as 1 B/s, so 100 + 1 seconds are left
    EXPECT_EQ("0.00B / 100.00B (1.00B/s / 101초 남음)",
              app::DescribeTransferProgress(Counted(slow, 0, Record(0, 0, 100)), 10000).summary);

    fetch::ByteLedger last;
    last.Start(100);
    const app::TransferDisplay done = app::DescribeTransferProgress(Counted(last, 0, Record(100, 100, 100)), 1000);
    EXPECT_EQ(100, done.filePosition.value());
    EXPECT_EQ(90, done.totalPosition.value());
    EXPECT_NE(std::string::npos, done.summary.find("/ 1초 남음)"));
}

TEST(TransferProgressDisplay, ZeroSizesKeepTheBarsWhereTheyAre) {
    fetch::ByteLedger bytes;
    const app::TransferDisplay display = app::DescribeTransferProgress(Counted(bytes, 0, Record(0, 0, 0)), 100);
    EXPECT_FALSE(display.filePosition.has_value());
    EXPECT_FALSE(display.totalPosition.has_value());
}

TEST(RegisterProgressDisplay, ShowsCountAndCurrentAndAFullBarForNoItems) {
    RegisterProgress none;
    EXPECT_EQ(100, app::DescribeRegisterProgress(none).filePosition);
    RegisterProgress some{nullptr, 1, 4};
    const app::RegisterDisplay display = app::DescribeRegisterProgress(some);
    EXPECT_EQ(25, display.filePosition);
    EXPECT_EQ("4 중 1개를 등록하고 있습니다!", display.fileInfo);
}

}  // namespace
