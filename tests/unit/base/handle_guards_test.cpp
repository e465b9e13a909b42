// The handle wrapper and the GDI guards: every handle is closed exactly once,
// by its last owner, and an object selected into a DC makes way again.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "base/gdi_guards.h"
#include "base/unique_handle.h"

namespace {

std::vector<int> g_closed;

struct CountedTraits : base::NullWhenAbsent<int> {
    static void close(Handle h) { g_closed.push_back(h); }
};
using CountedHandle = base::UniqueHandle<CountedTraits>;

class UniqueHandleOwnership : public ::testing::Test {
protected:
    void SetUp() override { g_closed.clear(); }
};

TEST_F(UniqueHandleOwnership, MovedFromClosesNothingAndTheLastOwnerClosesOnce) {
    {
        CountedHandle first(7);
        CountedHandle second(std::move(first));
        EXPECT_FALSE(first);
        CountedHandle third;
        third = std::move(second);
        EXPECT_EQ(7, third.get());
        EXPECT_TRUE(g_closed.empty());
    }
    EXPECT_EQ(std::vector<int>({7}), g_closed);
}

TEST_F(UniqueHandleOwnership, AssignmentPutAndResetCloseTheHeldHandleFirst) {
    CountedHandle held(1);
    held = CountedHandle(2);
    *held.put() = 3;
    held.reset(4);
    EXPECT_EQ(std::vector<int>({1, 2, 3}), g_closed);
    EXPECT_EQ(4, held.release());
    held.reset();
    EXPECT_EQ(std::vector<int>({1, 2, 3}), g_closed);
}

TEST(UniqueHandleKinds, FilesTreatMinusOneAsAbsentAndKernelHandlesAreReallyClosed) {
    EXPECT_FALSE(base::UniqueFile());
    EXPECT_FALSE(base::UniqueFile(INVALID_HANDLE_VALUE));
    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, event);
    DWORD flags = 0;
    { const base::UniqueKernelHandle owner(event); }
    EXPECT_FALSE(::GetHandleInformation(event, &flags));
}

TEST(SelectedObject, PutsTheOldObjectBackSoTheSelectedOneCanBeDeleted) {
    const base::UniqueMemoryDc dc = base::CreateMemoryDc(nullptr);
    ASSERT_TRUE(dc);
    const HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_BITMAP);
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc.get(), 4, 4);
    ASSERT_NE(nullptr, bitmap);
    {
        const base::SelectedObject selection(dc.get(), bitmap);
        EXPECT_EQ(bitmap, ::GetCurrentObject(dc.get(), OBJ_BITMAP));
    }
    EXPECT_EQ(original, ::GetCurrentObject(dc.get(), OBJ_BITMAP));
    EXPECT_TRUE(::DeleteObject(bitmap));
}

}  // namespace
