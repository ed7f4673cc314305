#include <gtest/gtest.h>

#include "ui/Tabs.h"

namespace velmok::ui {
namespace {

using session::ChannelRecord;

TEST(Tabs, TitleText) {
    ChannelRecord r;
    r.Name = "#a";
    EXPECT_EQ(TitleText(r), "#a");
    r.ModeFlags = {false, false, false, true, false, true, false, false};  // t, n
    r.Limit = "10";
    r.Key = "x";
    r.Topic = "hi";
    // Letters in the fixed order p s m t i n a q, so t comes before n.
    EXPECT_EQ(TitleText(r), "#a +tnlk 10 x hi");
    r.ModeFlags = {true, true, true, true, true, true, true, true};
    r.Limit.clear();
    r.Topic = "\x1b$BF|\x1b(B";  // 日 on the wire
    EXPECT_EQ(TitleText(r), "#a +psmtinaqk x \x93\xfa");

    EXPECT_EQ(ServerTitleText("irc.example", "Velmok 2.2"), "irc.example");
    EXPECT_EQ(ServerTitleText("", "Velmok 2.2"), "Velmok 2.2");
    EXPECT_EQ(TabCaption("&local"), "&&local");
    EXPECT_EQ(TabCaption("#a&b&"), "#a&&b&&");  // every "&" shows as itself
    EXPECT_EQ(TabCaption("#\x1b$BF|\x1b(B&"), "#\x93\xfa&&");
}

TEST(Tabs, TabMapRemoveShifts) {
    TabMap map;
    for (int w : {4, 7, 2, 9}) map.Append(w);  // positions 1..4
    ASSERT_EQ(map.Count(), 5);
    map.RemoveAt(2);
    EXPECT_EQ(map.WindowAt(2), 2);
    EXPECT_EQ(map.WindowAt(3), 9);
    EXPECT_EQ(map.PositionOf(9), 3);
    EXPECT_EQ(map.PositionOf(7), -1);
    EXPECT_EQ(map.PositionOf(-1), 0);
    map.RemoveAt(0);  // the "Server" tab stays
    map.RemoveAt(8);
    EXPECT_EQ(map.Count(), 4);
    EXPECT_EQ(map.WindowAt(0), -1);
    EXPECT_EQ(map.WindowAt(9), -1);
}

TEST(Tabs, ActiveTabAfterRemove) {
    // Closing the active third of five tabs: the former fourth becomes active at position 2.
    EXPECT_EQ(ActiveTabAfterRemove(2, 2, 5), 2);
    // Closing the active last tab: the tab set chooses.
    EXPECT_EQ(ActiveTabAfterRemove(4, 4, 5), -1);
    // A tab closed in the background keeps the same tab in view.
    EXPECT_EQ(ActiveTabAfterRemove(3, 1, 5), 2);
    EXPECT_EQ(ActiveTabAfterRemove(1, 3, 5), 1);
}

TEST(Tabs, MarkTab) {
    std::array<ChannelRecord, session::WindowCount> records;
    records[5].Name = "#Chan";
    records[6].Name = "bob";
    TabMap map;
    map.Append(5);
    map.Append(6);
    EXPECT_EQ(MarkTabPosition(map, 0, -1, records), -1);  // "Server" tab is active
    EXPECT_EQ(MarkTabPosition(map, 1, -1, records), 0);
    EXPECT_EQ(MarkTabPosition(map, 1, 5, records), -1);  // active tab gets no mark
    EXPECT_EQ(MarkTabPosition(map, 0, 5, records), 1);
    EXPECT_EQ(MarkTabPosition(map, 0, 6, records), 2);
    records[7].Name = "#chan";  // same name in another case: the first tab found
    EXPECT_EQ(MarkTabPosition(map, 0, 7, records), 1);
    EXPECT_EQ(MarkTabPosition(map, 0, 42, records), -1);
}

TEST(Tabs, SwitchingDoesNotWrap) {
    EXPECT_EQ(NeighbourTab(0, 3, -1), -1);  // Ctrl+Left on "Server"
    EXPECT_EQ(NeighbourTab(2, 3, +1), -1);
    EXPECT_EQ(NeighbourTab(1, 3, -1), 0);
    EXPECT_EQ(NeighbourTab(1, 3, +1), 2);
}

TEST(Tabs, ServerTabMap) {
    ServerTabMap map = {-1, -1, -1};
    EXPECT_EQ(AddServerTab(map, 2), 0);
    EXPECT_EQ(AddServerTab(map, 0), 1);
    EXPECT_EQ(AddServerTab(map, 2), 0);  // already there
    EXPECT_EQ(AddServerTab(map, 1), 2);
    RemoveServerTab(map, 0);
    EXPECT_EQ(map, (ServerTabMap{0, 1, -1}));
}

TEST(Tabs, CloseItem) {
    CloseItemState s = CloseItemFor(MenuOrigin::ServerTab, true, "");
    EXPECT_EQ(s.hint, "Server\x83^\x83u\x82\xf0\x95\xc2\x82\xb6\x82\xe9");  // Serverタブを閉じる
    EXPECT_EQ(s.enabled, false);
    EXPECT_EQ(CloseItemFor(MenuOrigin::ServerTab, false, "").enabled, true);
    EXPECT_FALSE(CloseItemFor(MenuOrigin::EventLog, true, "").enabled.has_value());
    s = CloseItemFor(MenuOrigin::ChannelTab, true, "#a");
    // チャンネル #a から抜ける
    EXPECT_EQ(s.hint, "\x83`\x83\x83\x83\x93\x83l\x83\x8b #a \x82\xa9\x82\xe7\x94\xb2\x82\xaf\x82\xe9");
    EXPECT_EQ(s.enabled, true);
    EXPECT_EQ(CloseItemFor(MenuOrigin::AllWindow, true, "").enabled, true);
    EXPECT_EQ(CloseItemFor(MenuOrigin::PrivateTab, true, "").hint,
              "PRIV\x83^\x83u\x82\xf0\x95\xc2\x82\xb6\x82\xe9");
}

}  // namespace
}  // namespace velmok::ui
