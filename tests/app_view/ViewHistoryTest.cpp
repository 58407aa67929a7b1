#include <gtest/gtest.h>

#include "app/view/ViewHistory.h"

namespace {

// A view whose four bounds all tell which push it came from.
View Numbered(int n)
{
    View v{};
    v.xMin = n;
    v.xMax = n + 0.25;
    v.yMax = n + 0.5;
    v.yMin = n + 0.75;
    v.UpdateSpans();
    return v;
}

void ExpectBoundsOf(const View& v, int n)
{
    EXPECT_EQ(v.xMin, n);
    EXPECT_EQ(v.xMax, n + 0.25);
    EXPECT_EQ(v.yMax, n + 0.5);
    EXPECT_EQ(v.yMin, n + 0.75);
}

TEST(ViewHistory, PopsTheNewestFirstAndRestoresBoundsOnly)
{
    ViewHistory history;
    EXPECT_TRUE(history.IsEmpty());
    for (int n = 1; n <= 3; ++n) {
        history.Push(Numbered(n));
    }
    EXPECT_EQ(history.count, 3);

    View v{};
    v.spanX = -1.0;
    v.stepY = -2.0;
    for (int n = 3; n >= 1; --n) {
        ASSERT_TRUE(history.Pop(&v));
        ExpectBoundsOf(v, n);
    }
    EXPECT_EQ(v.spanX, -1.0) << "spans are not part of an entry";
    EXPECT_EQ(v.stepY, -2.0);
    EXPECT_TRUE(history.IsEmpty());
}

TEST(ViewHistory, PopOnAnEmptyHistoryChangesNothing)
{
    ViewHistory history;
    View v = Numbered(7);
    EXPECT_FALSE(history.Pop(&v));
    ExpectBoundsOf(v, 7);
    EXPECT_EQ(history.count, 0);

    history.Push(Numbered(1));
    ASSERT_TRUE(history.Pop(&v));
    EXPECT_FALSE(history.Pop(&v));
    ExpectBoundsOf(v, 1);
    EXPECT_EQ(history.count, 0);
}

TEST(ViewHistory, KeepsTheNewest99AndDropsTheOldest)
{
    ViewHistory history;
    for (int n = 0; n < 99; ++n) {
        history.Push(Numbered(n));
    }
    EXPECT_EQ(history.count, 99);
    history.Push(Numbered(99));
    history.Push(Numbered(100));
    EXPECT_EQ(history.count, ViewHistory::kMaxEntries);

    View v{};
    ASSERT_TRUE(history.Pop(&v));
    ExpectBoundsOf(v, 100); // the view before the last zoom
    for (int n = 99; n >= 2; --n) {
        ASSERT_TRUE(history.Pop(&v));
        ExpectBoundsOf(v, n);
    }
    EXPECT_TRUE(history.IsEmpty()) << "entries 0 and 1 were dropped";
}

} // namespace
