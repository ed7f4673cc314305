#include <gtest/gtest.h>

#include "ui/TabRows.h"

namespace velmok::ui {
namespace {

bool Inside(const Box& inner, const Box& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}
bool Overlap(const Box& a, const Box& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// 1, 15 and 40 tabs of 100 to 189 pixels on every side of a 640 by 480 set:
// the rows, the bar's size, and every tab in the bar, none over another.
TEST(TabRows, WrappedRowsOnEverySideHoldEveryTabInTheBar) {
    constexpr int kRow = 24;
    for (const TabSide side : {TabSide::Top, TabSide::Bottom, TabSide::Left, TabSide::Right}) {
        const int along = IsVertical(side) ? 480 : 640;
        for (const int count : {1, 15, 40}) {
            SCOPED_TRACE(testing::Message() << "side " << static_cast<int>(side) << ", " << count << " tabs");
            std::vector<int> lengths;
            for (int i = 0; i < count; ++i) lengths.push_back(100 + (i * 37) % 90);
            const TabRowLayout layout = WrapTabs(lengths, along);
            // Greedy rows: no row could have taken the first tab of the next.
            int rows = 1, used = 0;
            for (const int l : lengths) {
                if (used + l > along) ++rows, used = 0;
                used += l;
            }
            EXPECT_EQ(layout.rows, rows);
            EXPECT_EQ(layout.rows > 1, count > 1);

            const TabSetGeometry g = PlaceTabs(layout, side, 640, 480, kRow);
            const Box set{0, 0, 640, 480};
            EXPECT_EQ(IsVertical(side) ? g.bar.width : g.bar.height, rows * kRow);
            EXPECT_TRUE(Inside(g.bar, set) && Inside(g.page, set));
            EXPECT_FALSE(Overlap(g.bar, g.page));
            EXPECT_EQ(g.bar.width * g.bar.height + g.page.width * g.page.height, 640 * 480);
            ASSERT_EQ(g.tabs.size(), lengths.size());
            for (std::size_t i = 0; i < g.tabs.size(); ++i) {
                EXPECT_TRUE(Inside(g.tabs[i], g.bar)) << i;
                EXPECT_EQ(IsVertical(side) ? g.tabs[i].height : g.tabs[i].width, lengths[i]) << i;
                for (std::size_t j = 0; j < i; ++j)
                    EXPECT_FALSE(Overlap(g.tabs[j], g.tabs[i])) << j << " " << i;
            }
        }
    }
    // A caption longer than a whole row is cut to it; no tabs, no bar.
    EXPECT_EQ(WrapTabs({900, 50}, 640).tabs[0].length, 640);
    EXPECT_EQ(WrapTabs({900, 50}, 640).rows, 2);
    EXPECT_EQ(PlaceTabs(WrapTabs({}, 640), TabSide::Top, 640, 480, kRow).page, (Box{0, 0, 640, 480}));
    // Rows that would take more than the set has across stop at its edge.
    EXPECT_EQ(PlaceTabs(WrapTabs(std::vector<int>(40, 600), 640), TabSide::Top, 640, 100, kRow).bar.height,
              100);
}

TEST(TabRows, OneRowScrollsToTheCurrentTabAndLeavesNoRoomUnused) {
    const std::vector<int> lengths(40, 100);
    // 600 of 640 for the tabs, 40 for the buttons: six tabs in sight.
    TabRowLayout l = ScrollTabs(lengths, 640, 40, 20, 0);
    EXPECT_EQ(l.rows, 1);
    EXPECT_EQ(l.first, 15);  // the current tab is the last one shown
    EXPECT_TRUE(l.tabs[20].shown && l.tabs[15].shown && !l.tabs[14].shown && !l.tabs[21].shown);
    EXPECT_EQ(l.tabs[15].offset, 0);
    EXPECT_TRUE(l.canScrollBack && l.canScrollForward);
    // Scrolled by the user (no current to keep), and past the end.
    EXPECT_EQ(ScrollTabs(lengths, 640, 40, -1, 3).first, 3);
    l = ScrollTabs(lengths, 640, 40, -1, 39);
    EXPECT_EQ(l.first, 34);
    EXPECT_FALSE(l.canScrollForward);
    // Everything fits: no buttons.
    l = ScrollTabs(std::vector<int>(6, 100), 640, 40, 5, 0);
    EXPECT_EQ(l.buttonsLength, 0);
    EXPECT_TRUE(PlaceTabs(l, TabSide::Left, 640, 480, 24).buttons == Box{});
    const TabSetGeometry g = PlaceTabs(ScrollTabs(lengths, 480, 40, 0, 0), TabSide::Right, 640, 480, 24);
    EXPECT_EQ(g.buttons, (Box{616, 440, 24, 40}));
    EXPECT_EQ(g.tabs[39], Box{});
}

}  // namespace
}  // namespace velmok::ui
