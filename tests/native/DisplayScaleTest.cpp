#include <gtest/gtest.h>

#include "skin/DisplayScale.h"

namespace {

// Neighbours that share an edge at 100 % share it at every scale, and the
// whole keeps its size however the parts are cut.
TEST(DisplayScaleTest, EdgesRoundSoNeighboursStillMeet) {
    struct Case {
        int dpi;
        int edge;
        int expected;
    };
    const Case cases[] = {
        {96, 675, 675}, {120, 675, 844}, {144, 675, 1013}, {192, 675, 1350}, {288, 675, 2025},
        {144, 1, 2},    {144, 3, 5},     {120, 2, 3},      {96, -3, -3},     {144, -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DisplayScale(c.dpi).Edge(c.edge), c.expected) << c.dpi << " " << c.edge;
    }
    for (const int dpi : {96, 120, 144, 168, 192, 240, 288}) {
        const DisplayScale scale(dpi);
        const Rect left = scale.Of(Rect{14, 113, 220, 323});
        const Rect right = scale.Of(Rect{220, 113, 442, 323});
        EXPECT_EQ(left.right, right.left) << dpi;
        EXPECT_EQ(scale.Length(0, 220) + scale.Length(220, 222), scale.Edge(442)) << dpi;
    }
}

TEST(DisplayScaleTest, PicturesComeFromTheNextLargerRendering) {
    struct Case {
        int dpi;
        int percent;
    };
    const Case cases[] = {{72, 100},  {96, 100},  {120, 150}, {144, 150},
                          {168, 200}, {192, 200}, {240, 300}, {384, 300}};
    for (const Case& c : cases) {
        EXPECT_EQ(DisplayScale(c.dpi).PicturePercent(), c.percent) << c.dpi;
    }
    EXPECT_TRUE(DisplayScale(72).IsBase());
    // Fonts round down, so a text never outgrows the rounded room it had.
    EXPECT_EQ(DisplayScale(144).FontHeight(11), 16);
    EXPECT_EQ(DisplayScale(120).FontHeight(12), 15);
}

} // namespace
