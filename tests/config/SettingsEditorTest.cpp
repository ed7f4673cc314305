#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/SettingsEditor.h"

namespace velmok::config {

namespace {

using base::FontKind;

const std::string kAskDelete =
    "\x8d\xed\x8f\x9c\x82\xb5\x82\xdc\x82\xb7\x81\x42\x82\xe6\x82\xeb\x82\xb5\x82\xa2\x82\xc5\x82\xb7\x82\xa9"
    "\x81H";  // 削除します。よろしいですか？
const std::string kAskUpdate =
    "\x8dX\x90V\x82\xb5\x82\xdc\x82\xb7\x81\x42\x82\xe6\x82\xeb\x82\xb5\x82\xa2\x82\xc5\x82\xb7\x82\xa9"
    "\x81H";  // 更新します。よろしいですか？

// Records the questions and answers them with a fixed reply.
struct Answer {
    bool yes;
    std::vector<std::string> asked;
    SettingsEditor::Confirm Fn() {
        return [this](const std::string& q) {
            asked.push_back(q);
            return yes;
        };
    }
};

EventTrigger Trigger(const std::string& name, const std::string& command = "PRIVMSG %1 :hi") {
    EventTrigger t;
    t.Name = name;
    t.Trigger = "JOIN";
    t.Prefix = "*!*@host";
    t.Param1 = "#a";
    t.Param4 = "p4";
    t.ExcludeOwn = true;
    t.Command = command;
    return t;
}

// Every scalar away from its default, and no two booleans of one section
// alike where that can be helped, so a field written to the wrong key shows.
Settings Unusual() {
    Settings s;
    s.Bgcolor = 0x123456;
    s.Font(FontKind::Private).Name = "Mono";
    s.Font(FontKind::Private).Size = 14;
    s.Font(FontKind::Keyword).Bold = false;
    s.Server_Position = 3;
    s.Server_MultiLine = false;
    s.Channel_Position = 2;
    s.Channel_MultiLine = true;
    s.Private_Check = false;
    s.Notice_Check = true;
    s.CTCP_Check = false;
    s.Command_Check = true;
    s.Server_Check = false;
    s.Error_Check = true;
    s.AwayMessage = "away";
    s.KickMessage = "kick";
    s.PartMessage = "part";
    s.QuitMessage = "quit";
    s.ReplyClientInfo = false;
    s.ReplyFinger = true;
    s.ReplyPing = false;
    s.ReplyTime = true;
    s.ReplyUserInfo = true;
    s.ReplyVersion = false;
    s.UserInfoMessage = "info";
    s.DccChat = false;
    s.DccSend = true;
    s.Interval = 730;
    s.MaxReply = 3;
    s.DefencePriv = false;
    s.DefenceInvite = true;
    s.DefenceWhois = true;
    s.Keywords = {"one", "two"};
    s.KeywordPrivate = false;
    s.KeywordNotice = true;
    s.KeywordDCC = false;
    s.Beep = 48;
    s.EventLog = true;
    s.LogOutput = true;
    s.LogPath = "/logs";
    s.MaxLines = 2500;
    s.Events = {Trigger("a"), Trigger("b")};
    return s;
}

void ExpectSame(const Settings& a, const Settings& b) {
    EXPECT_EQ(a.Bgcolor, b.Bgcolor);
    for (int k = 0; k < base::FontKindCount; ++k) {
        SCOPED_TRACE(FontSectionNames[k]);
        EXPECT_EQ(a.Fonts[k].Name, b.Fonts[k].Name);
        EXPECT_EQ(a.Fonts[k].Size, b.Fonts[k].Size);
        EXPECT_EQ(a.Fonts[k].Color, b.Fonts[k].Color);
        EXPECT_EQ(a.Fonts[k].Bold, b.Fonts[k].Bold);
        EXPECT_EQ(a.Fonts[k].Underline, b.Fonts[k].Underline);
    }
    EXPECT_EQ(a.Server_Position, b.Server_Position);
    EXPECT_EQ(a.Server_MultiLine, b.Server_MultiLine);
    EXPECT_EQ(a.Channel_Position, b.Channel_Position);
    EXPECT_EQ(a.Channel_MultiLine, b.Channel_MultiLine);
    EXPECT_EQ((std::vector<bool>{a.Private_Check, a.Notice_Check, a.CTCP_Check, a.Command_Check,
                                 a.Server_Check, a.Error_Check}),
              (std::vector<bool>{b.Private_Check, b.Notice_Check, b.CTCP_Check, b.Command_Check,
                                 b.Server_Check, b.Error_Check}));
    EXPECT_EQ((std::vector<std::string>{a.AwayMessage, a.KickMessage, a.PartMessage, a.QuitMessage}),
              (std::vector<std::string>{b.AwayMessage, b.KickMessage, b.PartMessage, b.QuitMessage}));
    EXPECT_EQ((std::vector<bool>{a.ReplyClientInfo, a.ReplyFinger, a.ReplyPing, a.ReplyTime, a.ReplyUserInfo,
                                 a.ReplyVersion, a.DccChat, a.DccSend}),
              (std::vector<bool>{b.ReplyClientInfo, b.ReplyFinger, b.ReplyPing, b.ReplyTime, b.ReplyUserInfo,
                                 b.ReplyVersion, b.DccChat, b.DccSend}));
    EXPECT_EQ(a.UserInfoMessage, b.UserInfoMessage);
    EXPECT_EQ(a.Interval, b.Interval);
    EXPECT_EQ(a.MaxReply, b.MaxReply);
    EXPECT_EQ((std::vector<bool>{a.DefencePriv, a.DefenceInvite, a.DefenceWhois}),
              (std::vector<bool>{b.DefencePriv, b.DefenceInvite, b.DefenceWhois}));
    EXPECT_EQ(a.Keywords, b.Keywords);
    EXPECT_EQ((std::vector<bool>{a.KeywordPrivate, a.KeywordNotice, a.KeywordDCC}),
              (std::vector<bool>{b.KeywordPrivate, b.KeywordNotice, b.KeywordDCC}));
    EXPECT_EQ(a.Beep, b.Beep);
    EXPECT_EQ(a.EventLog, b.EventLog);
    EXPECT_EQ(a.Events, b.Events);
    EXPECT_EQ(a.LogOutput, b.LogOutput);
    EXPECT_EQ(a.LogPath, b.LogPath);
    EXPECT_EQ(a.MaxLines, b.MaxLines);
}

}  // namespace

TEST(SettingsEditor, OkWithoutChangesWritesBackEveryValueToItsOwnKey) {
    const Settings source = Unusual();
    SettingsEditor e(source);
    Settings target;  // all defaults: every value has to come from the editor
    target.ProfileText = "profiles\r\n";
    e.Apply(target, "/ignored");
    ExpectSame(target, source);
    // What the dialog does not edit stays.
    EXPECT_EQ(target.ProfileText, "profiles\r\n");
}

TEST(SettingsEditor, BeepRadioMapsZeroAndFortyEightAndAnythingElseToNoSound) {
    const std::pair<int, SettingsEditor::BeepChoice> cases[] = {{0, SettingsEditor::BeepChoice::General},
                                                                {48, SettingsEditor::BeepChoice::Warning},
                                                                {7, SettingsEditor::BeepChoice::None},
                                                                {-1, SettingsEditor::BeepChoice::None}};
    const int stored[] = {0, 48, -1, -1};
    for (int i = 0; i < 4; ++i) {
        Settings s;
        s.Beep = cases[i].first;
        SettingsEditor e(s);
        EXPECT_EQ(e.Beep, cases[i].second) << cases[i].first;
        e.Apply(s, "/d");
        EXPECT_EQ(s.Beep, stored[i]) << cases[i].first;
    }
}

TEST(SettingsEditor, MaxReplyListAndSliderAndTabPositions) {
    Settings s;
    s.MaxReply = 20;
    s.Server_Position = 7;
    s.Channel_Position = -1;
    SettingsEditor e(s);
    EXPECT_EQ(e.MaxReplyIndex, SettingsEditor::kMaxReplyEntries - 1);
    // Positions the tab sets do not know open as top and are stored so.
    EXPECT_EQ(e.ServerPosition, 0);
    EXPECT_EQ(e.ChannelPosition, 0);
    e.MaxReplyIndex = 4;
    e.Interval = 0;
    e.Apply(s, "/d");
    EXPECT_EQ(s.MaxReply, 5);
    EXPECT_EQ(s.Interval, 0);
    EXPECT_EQ(s.Server_Position, 0);

    // Values the store would never hand over do not turn into an empty list
    // entry (stored as 0) or a slider beyond its end.
    s.MaxReply = 0;
    s.Interval = 5000;
    SettingsEditor odd(s);
    EXPECT_EQ(odd.MaxReplyIndex, 9);
    EXPECT_EQ(odd.Interval, 500);
    odd.MaxReplyIndex = -1;
    odd.MaxLines = 5;
    odd.Apply(s, "/d");
    EXPECT_EQ(s.MaxReply, 10);
    EXPECT_EQ(s.MaxLines, 100);  // the least a view keeps
}

TEST(SettingsEditor, EmptyLogFolderBecomesTheSettingsFolder) {
    Settings s;
    s.LogPath = "";
    SettingsEditor e(s);
    e.Apply(s, "/home/u/velmok/");
    EXPECT_EQ(s.LogPath, "/home/u/velmok");
    EXPECT_EQ(e.LogPath, "/home/u/velmok");  // the field shows it too

    SettingsEditor kept(s);
    kept.LogPath = "/var/log/irc";
    kept.Apply(s, "/home/u/velmok");
    EXPECT_EQ(s.LogPath, "/var/log/irc");

    EXPECT_EQ(WithoutTrailingSeparator("C:\\velmok\\"), "C:\\velmok");
    EXPECT_EQ(WithoutTrailingSeparator("/a//"), "/a");
    EXPECT_EQ(WithoutTrailingSeparator("/"), "/");
}

TEST(SettingsEditor, KeywordAddRefusesOnlyExactDuplicates) {
    Settings s;
    s.Keywords = {"Velmok"};
    SettingsEditor e(s);
    EXPECT_FALSE(e.CanAddKeyword());
    EXPECT_EQ(e.AddKeyword(), 0);  // disabled: nothing happens
    EXPECT_EQ(e.Keywords().size(), 1u);

    e.KeywordField = "velmok";
    EXPECT_TRUE(e.CanAddKeyword());
    EXPECT_EQ(e.AddKeyword(), 0);
    e.KeywordField = "Velmok";
    EXPECT_EQ(e.AddKeyword(), 33);
    EXPECT_EQ(e.Keywords(), (std::vector<std::string>{"Velmok", "velmok"}));
    EXPECT_EQ(e.KeywordField, "Velmok");  // the field keeps its text
}

TEST(SettingsEditor, KeywordDeleteAsksAndDeletingAllEmptiesTheList) {
    Settings s;
    s.Keywords = {"a", "b"};
    SettingsEditor e(s);
    EXPECT_FALSE(e.CanDeleteKeyword());

    Answer no{false, {}};
    e.SelectKeyword(1);
    ASSERT_TRUE(e.CanDeleteKeyword());
    e.DeleteKeyword(no.Fn());
    EXPECT_EQ(no.asked, std::vector<std::string>{kAskDelete});
    EXPECT_EQ(e.Keywords().size(), 2u);
    EXPECT_EQ(e.SelectedKeyword(), 1);

    Answer yes{true, {}};
    e.DeleteKeyword(yes.Fn());
    EXPECT_EQ(e.Keywords(), std::vector<std::string>{"a"});
    EXPECT_FALSE(e.CanDeleteKeyword());
    e.DeleteKeyword(yes.Fn());  // nothing selected: not even asked
    EXPECT_EQ(yes.asked.size(), 1u);

    e.SelectKeyword(0);
    e.DeleteKeyword(yes.Fn());
    e.SelectKeyword(5);  // out of range selects nothing
    EXPECT_EQ(e.SelectedKeyword(), -1);
    e.Apply(s, "/d");
    EXPECT_TRUE(s.Keywords.empty());
}

TEST(SettingsEditor, TriggerAddNeedsNameTriggerAndCommand) {
    Settings s;
    SettingsEditor e(s);
    EXPECT_FALSE(e.CanAddEvent() || e.CanUpdateEvent() || e.CanDeleteEvent() || e.CanMoveEventUp() ||
                 e.CanMoveEventDown());
    e.EventFields = Trigger("x");
    EXPECT_TRUE(e.CanAddEvent());
    for (std::string EventTrigger::*field :
         {&EventTrigger::Name, &EventTrigger::Trigger, &EventTrigger::Command}) {
        EventTrigger f = Trigger("x");
        f.*field = "";
        e.EventFields = f;
        EXPECT_FALSE(e.CanAddEvent());
        EXPECT_FALSE(e.AddEvent());
    }
    // Only those three matter; no duplicate check either.
    EventTrigger sparse;
    sparse.Name = "n";
    sparse.Trigger = "t";
    sparse.Command = "c";
    e.EventFields = sparse;
    ASSERT_TRUE(e.AddEvent());
    ASSERT_TRUE(e.AddEvent());
    EXPECT_EQ(e.Events().size(), 2u);
    // The new row is selected: update, delete and up, but not down.
    EXPECT_EQ(e.SelectedEvent(), 1);
    EXPECT_TRUE(e.CanUpdateEvent() && e.CanDeleteEvent() && e.CanMoveEventUp());
    EXPECT_FALSE(e.CanMoveEventDown());
}

TEST(SettingsEditor, SelectingARowFillsTheFieldsAndNoRowEmptiesThem) {
    Settings s;
    s.Events = {Trigger("a"), Trigger("b"), Trigger("c")};
    s.Events[1].ExcludeOwn = false;
    SettingsEditor e(s);
    e.SelectEvent(1);
    EXPECT_EQ(e.EventFields, s.Events[1]);
    EXPECT_TRUE(e.CanMoveEventUp() && e.CanMoveEventDown());
    e.SelectEvent(0);
    EXPECT_TRUE(e.EventFields.ExcludeOwn);
    EXPECT_FALSE(e.CanMoveEventUp());
    EXPECT_TRUE(e.CanMoveEventDown());
    e.SelectEvent(-1);
    EXPECT_EQ(e.EventFields, EventTrigger{});
    EXPECT_FALSE(e.CanUpdateEvent() || e.CanDeleteEvent() || e.CanMoveEventUp() || e.CanMoveEventDown());
}

TEST(SettingsEditor, MovingARowKeepsItSelectedAndHandsTheFocusOnAtTheEnds) {
    Settings s;
    s.Events = {Trigger("a"), Trigger("b"), Trigger("c")};
    SettingsEditor e(s);
    e.SelectEvent(2);
    EXPECT_EQ(e.MoveEventUp(), SettingsEditor::Focus::None);
    EXPECT_EQ(e.SelectedEvent(), 1);
    EXPECT_EQ(e.MoveEventUp(), SettingsEditor::Focus::EventDown);
    EXPECT_EQ(e.SelectedEvent(), 0);
    EXPECT_EQ(e.EventFields.Name, "c");
    EXPECT_FALSE(e.CanMoveEventUp());
    EXPECT_EQ(e.MoveEventUp(), SettingsEditor::Focus::None);  // disabled: no move

    EXPECT_EQ(e.MoveEventDown(), SettingsEditor::Focus::None);
    EXPECT_EQ(e.MoveEventDown(), SettingsEditor::Focus::EventUp);
    EXPECT_FALSE(e.CanMoveEventDown());

    e.SelectEvent(0);
    e.MoveEventDown();
    e.Apply(s, "/d");
    ASSERT_EQ(s.Events.size(), 3u);
    EXPECT_EQ(s.Events[0].Name, "b");
    EXPECT_EQ(s.Events[1].Name, "a");
    EXPECT_EQ(s.Events[2].Name, "c");
}

TEST(SettingsEditor, UpdateAndDeleteHappenOnlyAfterYes) {
    Settings s;
    s.Events = {Trigger("a"), Trigger("b")};
    SettingsEditor e(s);
    e.SelectEvent(0);
    e.EventFields.Command = "NOTICE %n :changed";
    e.EventFields.ExcludeOwn = false;

    Answer no{false, {}};
    e.UpdateEvent(no.Fn());
    e.DeleteEvent(no.Fn());
    EXPECT_EQ(no.asked, (std::vector<std::string>{kAskUpdate, kAskDelete}));
    EXPECT_EQ(e.Events(), s.Events);

    Answer yes{true, {}};
    e.UpdateEvent(yes.Fn());
    EXPECT_EQ(e.Events()[0].Command, "NOTICE %n :changed");
    EXPECT_FALSE(e.Events()[0].ExcludeOwn);
    EXPECT_EQ(e.SelectedEvent(), 0);

    e.DeleteEvent(yes.Fn());
    ASSERT_EQ(e.Events().size(), 1u);
    EXPECT_EQ(e.Events()[0].Name, "b");
    EXPECT_EQ(e.SelectedEvent(), -1);
    EXPECT_EQ(e.EventFields, EventTrigger{});
    EXPECT_FALSE(e.CanUpdateEvent() || e.CanDeleteEvent());
    e.UpdateEvent(yes.Fn());  // nothing selected: not asked
    EXPECT_EQ(yes.asked.size(), 2u);
}

}  // namespace velmok::config
