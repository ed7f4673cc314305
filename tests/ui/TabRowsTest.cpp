#include <gtest/gtest.h>

#include "ui/TabRows.h"

namespace velmok::ui {
namespace {

// Rows on every side are checked through the tab set itself (TabSetTest);
// here what the widget cannot show at a glance.
TEST(TabRows, RowsWrapGreedilyAndOneRowScrollsToTheCurrentTab) {
    EXPECT_EQ(WrapTabs(std::vector<int>(15, 100), 640).rows, 3);  // six a row
    const TabRowLayout cut = WrapTabs({900, 50}, 640);            // longer than a row: cut to it
    EXPECT_EQ(cut.tabs[0].length, 640);
    EXPECT_EQ(cut.rows, 2);
    EXPECT_EQ(PlaceTabs(WrapTabs({}, 640), TabSide::Top, 640, 480, 24).page, (Box{0, 0, 640, 480}));
    // Rows beyond what the set has across stop at its edge.
    EXPECT_EQ(PlaceTabs(WrapTabs(std::vector<int>(40, 600), 640), TabSide::Left, 100, 640, 24).bar.width,
              100);

    const std::vector<int> lengths(40, 100);
    // 600 of 640 for the tabs, 40 for the buttons: six tabs in sight.
    TabRowLayout l = ScrollTabs(lengths, 640, 40, 20, 0);
    EXPECT_EQ(l.first, 15);  // the current tab is the last one shown
    EXPECT_TRUE(l.tabs[20].shown && l.tabs[15].shown && !l.tabs[14].shown && !l.tabs[21].shown);
    EXPECT_TRUE(l.canScrollBack && l.canScrollForward);
    EXPECT_EQ(ScrollTabs(lengths, 640, 40, -1, 3).first, 3);  // scrolled away by the user
    l = ScrollTabs(lengths, 640, 40, -1, 39);                 // no room left unused at the end
    EXPECT_EQ(l.first, 34);
    EXPECT_FALSE(l.canScrollForward);
    EXPECT_EQ(ScrollTabs(std::vector<int>(6, 100), 640, 40, 5, 0).buttonsLength, 0);
    const TabSetGeometry g = PlaceTabs(ScrollTabs(lengths, 480, 40, 0, 0), TabSide::Right, 640, 480, 24);
    EXPECT_EQ(g.buttons, (Box{616, 440, 24, 40}));
    EXPECT_EQ(g.tabs[39], Box{});
}

}  // namespace
}  // namespace velmok::ui
