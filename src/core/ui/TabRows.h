#pragma once
// Where the tabs of a tab set stand: in rows that wrap, or in one row that
// scrolls. Plain arithmetic on lengths, so the view only measures and paints.
#include <optional>
#include <vector>

namespace velmok::ui {

// The side of the page the tabs stand on, numbered as Server_Position and
// Channel_Position store it.
enum class TabSide { Top = 0, Bottom = 1, Left = 2, Right = 3 };
// The side a stored position names; nothing for any other value (which
// leaves the tab set as it is).
std::optional<TabSide> TabSideOf(int stored);
inline bool IsVertical(TabSide side) { return side == TabSide::Left || side == TabSide::Right; }

// One tab along its row. Lengths run along the row: widths for tabs above or
// below the page, heights for tabs beside it.
struct TabSlot {
    int row = 0;     // 0 is the row at the top (or on the left)
    int offset = 0;  // from the start of the row
    int length = 0;
    bool shown = true;  // false: scrolled out of sight
};

struct TabRowLayout {
    std::vector<TabSlot> tabs;
    int rows = 0;  // none without tabs
    // One scrolling row: the first tab shown, and the room the two scroll
    // buttons take at the end of the row (0 when every tab fits).
    int first = 0;
    int buttonsLength = 0;
    bool canScrollBack = false;
    bool canScrollForward = false;
};

// Tabs in order in as many rows as needed, each row filled while the next tab
// fits into available. A tab longer than a whole row is cut to it.
TabRowLayout WrapTabs(const std::vector<int>& lengths, int available);

// Tabs in one row. When they do not fit, the scroll buttons take
// buttonsLength at the end and the tabs from first on are shown, first moved
// as little as needed to show current whole (unless current is -1: the user
// scrolled away from it) and to leave no room unused behind the last tab.
TabRowLayout ScrollTabs(const std::vector<int>& lengths, int available, int buttonsLength, int current,
                        int first);

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Box&) const = default;
};

// The parts of a tab set of width by height, in its own coordinates.
struct TabSetGeometry {
    Box bar;
    Box page;
    std::vector<Box> tabs;  // empty boxes for tabs scrolled out of sight
    Box buttons;            // empty when there are none
};

// rowThickness: the height of a row (its width for tabs beside the page).
// The bar never takes more than the tab set has across.
TabSetGeometry PlaceTabs(const TabRowLayout& layout, TabSide side, int width, int height, int rowThickness);

}  // namespace velmok::ui
