// Regions from shape runs on Windows (run under Wine), including lists longer than
// one batch of rectangles.
#include <gtest/gtest.h>

#include "platform/win32/region.h"

namespace {

TEST(RegionFromRuns, CoversExactlyTheRunsAcrossBatches) {
    // A 100 x 60 checker of runs: 3000 rectangles, more than one batch of 2000.
    std::vector<::Run> runs;
    for (int y = 0; y < 60; ++y)
        for (int x = (y % 2); x < 100; x += 2) runs.push_back({x, y, x + 1, y + 1});
    ASSERT_GT(runs.size(), 2000u);
    HRGN r = regionFromRuns(runs);
    ASSERT_TRUE(r);
    RECT box;
    EXPECT_EQ(GetRgnBox(r, &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 100);
    EXPECT_EQ(box.bottom, 60);
    int wrong = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            bool inside = PtInRegion(r, x, y) != FALSE;
            bool expected = (x % 2) == (y % 2);
            if (inside != expected) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_FALSE(PtInRegion(r, 100, 0));
    EXPECT_TRUE(DeleteObject(r));
}

TEST(RegionFromRuns, WideRunsAndNoRuns) {
    std::vector<::Run> runs = {{2, 0, 40, 1}, {0, 1, 42, 2}, {10, 5, 11, 6}};
    HRGN r = regionFromRuns(runs);
    ASSERT_TRUE(r);
    EXPECT_TRUE(PtInRegion(r, 2, 0));
    EXPECT_TRUE(PtInRegion(r, 39, 0));
    EXPECT_FALSE(PtInRegion(r, 40, 0)) << "right edges are exclusive";
    EXPECT_FALSE(PtInRegion(r, 1, 0));
    EXPECT_TRUE(PtInRegion(r, 41, 1));
    EXPECT_FALSE(PtInRegion(r, 10, 4));
    EXPECT_TRUE(PtInRegion(r, 10, 5));
    DeleteObject(r);

    HRGN none = regionFromRuns({});
    ASSERT_TRUE(none) << "no runs: an empty region, not 'no region'";
    RECT box;
    EXPECT_EQ(GetRgnBox(none, &box), NULLREGION);
    DeleteObject(none);
}

}  // namespace
