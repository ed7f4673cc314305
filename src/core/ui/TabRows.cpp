#include "ui/TabRows.h"

#include <algorithm>

namespace velmok::ui {

std::optional<TabSide> TabSideOf(int stored) {
    if (stored < 0 || stored > 3) return std::nullopt;
    return static_cast<TabSide>(stored);
}

TabRowLayout WrapTabs(const std::vector<int>& lengths, int available) {
    available = std::max(1, available);
    TabRowLayout layout;
    layout.tabs.reserve(lengths.size());
    int offset = 0;
    for (const int wanted : lengths) {
        const int length = std::clamp(wanted, 1, available);
        if (layout.rows == 0) {
            layout.rows = 1;
        } else if (offset + length > available) {
            ++layout.rows;
            offset = 0;
        }
        layout.tabs.push_back(TabSlot{layout.rows - 1, offset, length, true});
        offset += length;
    }
    return layout;
}

TabRowLayout ScrollTabs(const std::vector<int>& lengths, int available, int buttonsLength, int current,
                        int first) {
    available = std::max(1, available);
    const int count = static_cast<int>(lengths.size());
    long total = 0;
    for (const int l : lengths) total += std::max(1, l);
    if (total <= available) return WrapTabs(lengths, available);

    const int room = std::max(1, available - buttonsLength);
    std::vector<int> clamped(lengths.size());
    std::transform(lengths.begin(), lengths.end(), clamped.begin(),
                   [room](int l) { return std::clamp(l, 1, room); });
    // Whether the tabs first..last fit into the room.
    auto fits = [&](int from, int last) {
        long sum = 0;
        for (int i = from; i <= last; ++i) sum += clamped[i];
        return sum <= room;
    };
    first = std::clamp(first, 0, count - 1);
    if (current >= 0) {
        current = std::min(current, count - 1);
        if (current < first) first = current;
        while (first < current && !fits(first, current)) ++first;
    }
    while (first > 0 && fits(first - 1, count - 1)) --first;

    TabRowLayout layout;
    layout.rows = 1;
    layout.first = first;
    layout.buttonsLength = available - room;
    layout.tabs.resize(lengths.size());
    int offset = 0;
    int last = first - 1;
    for (int i = 0; i < count; ++i) {
        TabSlot& slot = layout.tabs[i];
        slot.length = clamped[i];
        slot.shown = i >= first && i == last + 1 && offset + clamped[i] <= room;
        if (!slot.shown) continue;
        slot.offset = offset;
        offset += clamped[i];
        last = i;
    }
    layout.canScrollBack = first > 0;
    layout.canScrollForward = last < count - 1;
    return layout;
}

TabSetGeometry PlaceTabs(const TabRowLayout& layout, TabSide side, int width, int height, int rowThickness) {
    width = std::max(0, width);
    height = std::max(0, height);
    const bool vertical = IsVertical(side);
    const int across = vertical ? width : height;
    const int thickness = std::min(across, layout.rows * std::max(0, rowThickness));
    TabSetGeometry g;
    switch (side) {
        case TabSide::Top:
            g.bar = {0, 0, width, thickness};
            g.page = {0, thickness, width, height - thickness};
            break;
        case TabSide::Bottom:
            g.bar = {0, height - thickness, width, thickness};
            g.page = {0, 0, width, height - thickness};
            break;
        case TabSide::Left:
            g.bar = {0, 0, thickness, height};
            g.page = {thickness, 0, width - thickness, height};
            break;
        case TabSide::Right:
            g.bar = {width - thickness, 0, thickness, height};
            g.page = {0, 0, width - thickness, height};
            break;
    }
    g.tabs.reserve(layout.tabs.size());
    for (const TabSlot& t : layout.tabs) {
        const int across0 = t.row * rowThickness;
        if (!t.shown || across0 >= thickness) {
            g.tabs.push_back(Box{});
            continue;
        }
        const int cut = std::min(rowThickness, thickness - across0);
        g.tabs.push_back(vertical ? Box{g.bar.x + across0, t.offset, cut, t.length}
                                  : Box{t.offset, g.bar.y + across0, t.length, cut});
    }
    if (layout.buttonsLength > 0 && thickness > 0) {
        const int length = layout.buttonsLength;
        g.buttons = vertical ? Box{g.bar.x, height - length, thickness, length}
                             : Box{width - length, g.bar.y, length, thickness};
    }
    return g;
}

}  // namespace velmok::ui
