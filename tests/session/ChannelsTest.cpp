#include <gtest/gtest.h>

#include <algorithm>

#include "config/Error.h"
#include "session/Codec.h"
#include "session/Engine.h"
#include "support/FakeClock.h"
#include "support/FakeSocket.h"
#include "support/RecordingFrontend.h"

namespace velmok::session {
namespace {

using Members = std::vector<std::string>;

class ChannelsTest : public ::testing::Test {
protected:
    RecordingFrontend ui;
    FakeClock clock;
    FakeSocketFactory sockets;
    config::Settings settings;
    Engine engine{ui, clock, sockets, settings};

    void SetUp() override { engine.Session(0).Nick = "me"; }

    int Open(const std::string& name) {
        const int index = engine.OpenChannelTab(0, name, true);
        EXPECT_GE(index, 0) << name;
        return index;
    }
    // Opens a channel and fills its member list with one complete NAMES listing.
    int OpenWith(const std::string& name, const std::string& names) {
        const int index = Open(name);
        engine.AddNames(0, names, name);
        engine.EndOfNames(0, name);
        return index;
    }
    const Members& MembersOf(int index) { return engine.Channel(0, index).Members; }

    static IrcMessage Msg(std::initializer_list<std::string> fields) {
        IrcMessage m;
        int i = 0;
        for (const auto& f : fields) m.Field[i++] = f;
        return m;
    }
};

TEST_F(ChannelsTest, OpenRecordsChannelOrPrivateAndBuildsTheWindow) {
    EXPECT_EQ(engine.OpenChannelTab(0, "#a"), 0);
    EXPECT_EQ(engine.OpenChannelTab(0, "bob"), 1);
    EXPECT_EQ(engine.OpenChannelTab(0, "&b"), 2);
    EXPECT_TRUE(engine.Channel(0, 0).IsChannel);
    EXPECT_FALSE(engine.Channel(0, 1).IsChannel);
    EXPECT_TRUE(engine.Channel(0, 2).IsChannel);
    ASSERT_EQ(ui.built.size(), 3u);
    EXPECT_EQ(ui.built[1].window, 1);
    EXPECT_EQ(ui.built[1].name, "bob");

    // The same name in other letter case is the same window.
    EXPECT_EQ(engine.OpenChannelTab(0, "#A"), -1);
    EXPECT_EQ(engine.OpenChannelTab(0, ""), -1);
    EXPECT_EQ(ui.built.size(), 3u);
}

TEST_F(ChannelsTest, CloseRemovesTheWindowAndFreesTheWholeRecord) {
    const int c = OpenWith("#c", "@me bob");
    engine.SetTopic(0, "#c", "hello");
    engine.CloseChannelTab(0, "#C");
    ASSERT_EQ(ui.removed.size(), 1u);
    EXPECT_EQ(ui.removed[0].second, c);
    const ChannelRecord& r = engine.Channel(0, c);
    EXPECT_TRUE(r.IsFree());
    EXPECT_TRUE(r.Members.empty());
    EXPECT_TRUE(r.Topic.empty());
    EXPECT_FALSE(r.OwnOp);

    engine.CloseChannelTab(0, "#gone");
    EXPECT_EQ(ui.removed.size(), 1u);
    // The freed record is taken again first.
    EXPECT_EQ(engine.OpenChannelTab(0, "#d"), c);
}

TEST_F(ChannelsTest, HundredAndFirstWindowIsRefusedWithError31) {
    for (int i = 0; i < WindowCount; ++i) ASSERT_EQ(engine.OpenChannelTab(0, "#c" + std::to_string(i)), i);
    EXPECT_EQ(engine.OpenChannelTab(0, "#one-more"), -1);
    EXPECT_EQ(ui.errors, std::vector<int>{31});
    EXPECT_EQ(ui.built.size(), static_cast<std::size_t>(WindowCount));
    // A stranger's private message past the limit is only a line: no modal box.
    EXPECT_EQ(engine.OpenChannelTab(0, "stranger"), -1);
    EXPECT_EQ(ui.errors, std::vector<int>{31});
    EXPECT_EQ(ui.TextsIn(0, ServerWindow), std::vector<std::string>{config::ErrorText(31)});
    engine.UserOpening = true;
    EXPECT_EQ(engine.OpenChannelTab(0, "friend"), -1);
    EXPECT_EQ(ui.errors, (std::vector<int>{31, 31}));
    // Other slots have their own records.
    EXPECT_EQ(engine.OpenChannelTab(1, "#one-more"), 0);
}

TEST_F(ChannelsTest, ProtectionRefusesPrivateWindowsUnlessTheUserAsked) {
    engine.ProtectionMode = true;
    settings.DefencePriv = true;
    EXPECT_EQ(engine.OpenChannelTab(0, "stranger"), -1);
    EXPECT_TRUE(ui.built.empty());
    // Channels are never refused.
    EXPECT_EQ(engine.OpenChannelTab(0, "#c"), 0);

    engine.UserOpening = true;
    EXPECT_EQ(engine.OpenChannelTab(0, "stranger"), 1);
    EXPECT_FALSE(engine.UserOpening);
    EXPECT_EQ(engine.OpenChannelTab(0, "another"), -1);

    settings.DefencePriv = false;
    EXPECT_EQ(engine.OpenChannelTab(0, "another"), 2);
}

TEST_F(ChannelsTest, FindChannelFoldsAsciiOnlyAndTakesTheLastMatch) {
    engine.Channel(0, 3).Name = "#abc";
    engine.Channel(0, 7).Name = "#ABC";
    EXPECT_EQ(engine.FindChannel(0, "#aBc"), 7);
    engine.Channel(0, 10).Name = "#\xe0";  // a byte outside ASCII has no case
    EXPECT_EQ(engine.FindChannel(0, "#\xc0"), -1);
    EXPECT_EQ(engine.FindChannel(0, "#\xe0"), 10);
    EXPECT_EQ(engine.FindChannel(0, ""), -1);
    EXPECT_EQ(engine.FindChannel(0, "#none"), -1);
}

TEST_F(ChannelsTest, NamesListingSpansSeveral353sAndTheNextListingStartsAfresh) {
    const int c = Open("#c");
    engine.AddNames(0, "@op +voice plain", "#c");
    EXPECT_EQ(MembersOf(c), (Members{"+voice", "@op", "plain"}));
    EXPECT_TRUE(engine.Channel(0, c).NamesPending);
    engine.AddNames(0, "zed @me", "#c");
    EXPECT_EQ(MembersOf(c), (Members{"+voice", "@me", "@op", "plain", "zed"}));
    EXPECT_TRUE(engine.Channel(0, c).OwnOp);
    engine.EndOfNames(0, "#C");
    EXPECT_FALSE(engine.Channel(0, c).NamesPending);

    engine.AddNames(0, "solo", "#c");
    EXPECT_EQ(MembersOf(c), (Members{"solo"}));
    EXPECT_GE(ui.Count("MembersChanged 0 " + std::to_string(c)), 3);

    // Unknown channels change nothing.
    engine.AddNames(0, "x y", "#other");
    EXPECT_EQ(MembersOf(c), (Members{"solo"}));
}

TEST_F(ChannelsTest, NamesBlanksAndEmptyCaptions) {
    const int c = Open("#c");
    // One leading blank is dropped; two in a row end the listing; no empty captions.
    engine.AddNames(0, " a b  c", "#c");
    EXPECT_EQ(MembersOf(c), (Members{"a", "b"}));
    engine.EndOfNames(0, "#c");
    engine.AddNames(0, "x y ", "#c");
    EXPECT_EQ(MembersOf(c), (Members{"x", "y"}));
}

TEST_F(ChannelsTest, JoinPartKickAndOperatorChangesKeepTheListSorted) {
    const int c = OpenWith("#c", "@me mike");
    engine.AddMember(0, "#c", "bob");
    engine.AddMember(0, "#c", "bob");
    engine.AddMember(0, "#nowhere", "ann");
    EXPECT_EQ(MembersOf(c), (Members{"@me", "bob", "mike"}));

    engine.GiveOp(0, "#c", "mike");
    EXPECT_EQ(MembersOf(c), (Members{"@me", "@mike", "bob"}));
    engine.GiveOp(0, "#c", "ghost");  // not a member: not added
    engine.TakeOp(0, "#c", "me");
    EXPECT_FALSE(engine.Channel(0, c).OwnOp);
    EXPECT_EQ(MembersOf(c), (Members{"@mike", "bob", "me"}));

    engine.RemoveMember(0, "#c", "mike");  // found through its "@"
    engine.RemoveMember(0, "#c", "ghost");
    EXPECT_EQ(MembersOf(c), (Members{"bob", "me"}));
}

TEST_F(ChannelsTest, ListReadsAlphabeticallyWithoutRegardToCaseMarkedMembersFirst) {
    const int c = OpenWith("#c", "Zed alice @Op @bob +Vic +amy Bob");
    EXPECT_EQ(MembersOf(c), (Members{"+amy", "+Vic", "@bob", "@Op", "alice", "Bob", "Zed"}));
    // Joins and nick changes land in the same order.
    engine.AddMember(0, "#c", "beth");
    engine.AddMember(0, "#c", "ALF");
    engine.MemberNick(0, "Zed", "carl");
    EXPECT_EQ(MembersOf(c), (Members{"+amy", "+Vic", "@bob", "@Op", "ALF", "alice", "beth", "Bob", "carl"}));
}

TEST_F(ChannelsTest, VoicedMembersLeaveByPartKickAndQuit) {
    const int c = OpenWith("#c", "+v1 +v2 +v3 +v4 other");
    engine.RemoveMember(0, "#c", "v1");  // PART
    engine.RemoveMember(0, "#c", "v2");  // KICK
    EXPECT_EQ(MembersOf(c), (Members{"+v3", "+v4", "other"}));
    ui.Clear();
    engine.MemberQuit(0, "v3", "bye");
    EXPECT_EQ(MembersOf(c), (Members{"+v4", "other"}));
    EXPECT_EQ(ui.TextsIn(0, c), std::vector<std::string>{"v3 QUIT (bye)"});
    // The mark is ignored only in front: "v" is not "+v4".
    engine.RemoveMember(0, "#c", "v");
    EXPECT_EQ(MembersOf(c), (Members{"+v4", "other"}));
}

TEST_F(ChannelsTest, QuitShowsInEveryWindowConcernedOnly) {
    settings.Command_Check = true;
    const int a = OpenWith("#a", "@bob me");
    const int b = OpenWith("#b", "me");
    const int priv = Open("Bob");
    ui.Clear();
    const std::string jisBye = SjisToJis("\x82\xb3\x82\xe6\x82\xc8\x82\xe7");  // さよなら
    engine.MemberQuit(0, "bob", jisBye);
    const std::string line = "bob QUIT (\x82\xb3\x82\xe6\x82\xc8\x82\xe7)";
    EXPECT_EQ(ui.TextsIn(0, a), std::vector<std::string>{line});
    EXPECT_TRUE(ui.TextsIn(0, b).empty());
    EXPECT_EQ(ui.TextsIn(0, priv), std::vector<std::string>{line});
    EXPECT_EQ(MembersOf(a), (Members{"me"}));
    for (const auto& l : ui.lines) EXPECT_EQ(l.font, FontKind::Command);
    // The tab mark comes before each line.
    const auto mark = std::find(ui.log.begin(), ui.log.end(), "MarkTab 0 " + std::to_string(a));
    ASSERT_NE(mark, ui.log.end());
    EXPECT_EQ(*(mark + 1), "RenderLine 0 " + std::to_string(a) + " Command " + line);

    ui.Clear();
    engine.MemberQuit(0, "carol", "");
    EXPECT_TRUE(ui.lines.empty());
}

TEST_F(ChannelsTest, NickRenamesInBothChannelsAndThePrivateWindowKeepingPrefixes) {
    settings.Command_Check = true;
    const int a = OpenWith("#a", "@bob me");
    const int b = OpenWith("#b", "+bob me");
    const int other = OpenWith("#other", "me");
    const int priv = Open("bob");
    ui.Clear();
    engine.MemberNick(0, "bob", "rob");
    EXPECT_EQ(MembersOf(a), (Members{"@rob", "me"}));
    EXPECT_EQ(MembersOf(b), (Members{"+rob", "me"}));
    EXPECT_EQ(engine.Channel(0, priv).Name, "rob");
    ASSERT_EQ(ui.renamed.size(), 1u);
    EXPECT_EQ(ui.renamed[0].window, priv);
    EXPECT_EQ(ui.renamed[0].name, "rob");
    ASSERT_EQ(ui.lines.size(), 3u);
    for (int w : {a, b, priv}) EXPECT_EQ(ui.TextsIn(0, w), std::vector<std::string>{"bob NICK rob"});
    EXPECT_TRUE(ui.TextsIn(0, other).empty());
    EXPECT_EQ(ui.marks.size(), 3u);
    EXPECT_EQ(engine.FindChannel(0, "ROB"), priv);
}

TEST_F(ChannelsTest, OwnNickChangeUpdatesTheSessionWithoutMarkingChannels) {
    settings.Command_Check = true;
    const int a = OpenWith("#a", "@me x");
    ui.Clear();
    engine.MemberNick(0, "me", "myself");
    EXPECT_EQ(engine.Session(0).Nick, "myself");
    EXPECT_EQ(MembersOf(a), (Members{"@myself", "x"}));
    EXPECT_TRUE(ui.marks.empty());
    EXPECT_EQ(ui.TextsIn(0, a), std::vector<std::string>{"me NICK myself"});
}

TEST_F(ChannelsTest, ModeChangeGivesAndTakesOperatorAndReturnsTheText) {
    const int c = OpenWith("#c", "a @b");
    ui.activeWindow[0] = -1;
    const std::string text = engine.ApplyModeChange(0, Msg({"op", "MODE", "#c", "+o-o", "a", "b"}));
    EXPECT_EQ(text, "op MODE +o-o a b");
    EXPECT_EQ(MembersOf(c), (Members{"@a", "b"}));
    EXPECT_TRUE(ui.titles.empty());
}

TEST_F(ChannelsTest, ModeChangeKeysLimitsAndFlags) {
    const int c = Open("#c");
    engine.ApplyModeChange(0, Msg({"op", "MODE", "#c", "+k-k", "secret"}));
    EXPECT_EQ(engine.Channel(0, c).Key, "");

    ui.titles.clear();
    ui.activeWindow[0] = c;
    engine.ApplyModeChange(0, Msg({"op", "MODE", "#c", "+lkntq-s", "10", "key"}));
    const ChannelRecord& r = engine.Channel(0, c);
    EXPECT_EQ(r.Limit, "10");
    EXPECT_EQ(r.Key, "key");
    EXPECT_TRUE(r.ModeFlags[5]);   // n
    EXPECT_TRUE(r.ModeFlags[3]);   // t
    EXPECT_FALSE(r.ModeFlags[7]);  // q is a member mode here
    // The title follows every character while the channel is in view.
    EXPECT_EQ(ui.titles.size(), 8u);

    // b and v take an argument; -l takes none.
    engine.ApplyModeChange(0, Msg({"op", "MODE", "#c", "+bv-l+k", "m!*@*", "v", "k2"}));
    EXPECT_EQ(r.Limit, "");
    EXPECT_EQ(r.Key, "k2");
}

TEST_F(ChannelsTest, ModeOnTheOwnNickIsNotShown) {
    Open("#c");
    ui.Clear();
    EXPECT_EQ(engine.ApplyModeChange(0, Msg({"me", "MODE", "me", "+i"})), "");
    EXPECT_TRUE(ui.log.empty());
}

TEST_F(ChannelsTest, ChannelModesReplyReplacesTheModes) {
    const int c = Open("#c");
    engine.Channel(0, c).ModeFlags[0] = true;  // p, not in the reply
    ui.activeWindow[0] = c;
    ui.titles.clear();
    engine.ApplyChannelModes(0, Msg({"srv", "324", "me", "#c", "+ntlk", "10", "x"}));
    const ChannelRecord& r = engine.Channel(0, c);
    EXPECT_FALSE(r.ModeFlags[0]);
    EXPECT_TRUE(r.ModeFlags[5]);
    EXPECT_EQ(r.Limit, "10");
    EXPECT_EQ(r.Key, "x");
    EXPECT_EQ(ui.titles, std::vector<int>{0});
}

TEST_F(ChannelsTest, TopicUpdatesTheTitleOnlyWhenInView) {
    const int c = Open("#c");
    Open("#d");  // now the active one
    ui.titles.clear();
    engine.SetTopic(0, "#c", "one");
    EXPECT_EQ(engine.Channel(0, c).Topic, "one");
    EXPECT_TRUE(ui.titles.empty());
    ui.activeWindow[0] = c;
    engine.SetTopic(0, "#C", "two");
    EXPECT_EQ(engine.Channel(0, c).Topic, "two");
    EXPECT_EQ(ui.titles, std::vector<int>{0});
    engine.SetTopic(0, "#none", "x");
    EXPECT_EQ(ui.titles.size(), 1u);
}

TEST_F(ChannelsTest, MemberCommandsGoToQueueB) {
    Open("#c");
    engine.QueueMemberCommand(0, {"@a", "+b"}, "WHOIS", "", 2);
    const std::string kick = "\x82\xb3\x82\xe6\x82\xc8\x82\xe7";  // さよなら
    engine.QueueMemberCommand(0, {"c"}, "KICK #c", kick, 3);
    EXPECT_EQ(engine.Slot(0).SendQueueB,
              "WHOIS a a\r\n2:WHOIS b b\r\n2:KICK #c c " + SjisToJis(kick) + "\r\n3:");
}

TEST_F(ChannelsTest, OperatorBatchesOfThreeWithGrowingDelay) {
    Open("#c");
    engine.QueueModeBatch(0, "#c", {"a", "b", "@c", "d", "+e"}, "+o");
    EXPECT_EQ(engine.Slot(0).SendQueueC, "MODE #c +ooo a b c\r\n10:MODE #c +oo d e\r\n7:");
    engine.Slot(0).SendQueueC.clear();
    engine.QueueModeBatch(0, "#c", {"a"}, "-v");
    EXPECT_EQ(engine.Slot(0).SendQueueC, "MODE #c -v a\r\n4:");
}

TEST_F(ChannelsTest, BanByHostAsksWhoThenBansAndForgetsAtEndOfWho) {
    Open("#c");
    engine.QueueModeBatch(0, "#c", {"@x", "y"}, "+b");
    EXPECT_EQ(engine.Slot(0).SendQueueC, "WHO x\r\n2:WHO y\r\n2:");
    EXPECT_EQ(engine.PendingBans, "<x>#c:o<y>#c:+");

    auto who = [](const std::string& nick, const std::string& host) {
        return Msg({"srv", "352", "me", "#c", "user", host, "srv", nick, "H", "0 real"});
    };
    EXPECT_TRUE(engine.HandleWhoReply(0, who("x", "host.example")));
    EXPECT_TRUE(engine.HandleWhoReply(0, who("y", "h2")));
    EXPECT_FALSE(engine.HandleWhoReply(0, who("z", "h3")));
    EXPECT_EQ(engine.Slot(0).SendQueueB, "MODE #c -o+b x *!*@host.example\r\n7:MODE #c +b *!*@h2\r\n4:");

    EXPECT_TRUE(engine.HandleEndOfWho(0, Msg({"srv", "315", "me", "x", "End"})));
    EXPECT_EQ(engine.PendingBans, "<y>#c:+");
    EXPECT_FALSE(engine.HandleEndOfWho(0, Msg({"srv", "315", "me", "x", "End"})));
    EXPECT_TRUE(engine.HandleEndOfWho(0, Msg({"srv", "315", "me", "y", "End"})));
    EXPECT_EQ(engine.PendingBans, "");

    engine.QueueModeBatch(0, "#c", {"@x"}, "-b");
    EXPECT_EQ(engine.PendingBans, "<x>#c:-");
    engine.Slot(0).SendQueueB.clear();
    EXPECT_TRUE(engine.HandleWhoReply(0, who("x", "h")));
    EXPECT_EQ(engine.Slot(0).SendQueueB, "MODE #c -b *!*@h\r\n4:");
}

TEST_F(ChannelsTest, BatchesNeedAChannel) {
    Open("bob");
    engine.QueueModeBatch(0, "bob", {"a"}, "+o");
    engine.QueueModeBatch(0, "", {"a"}, "+o");
    EXPECT_EQ(engine.Slot(0).SendQueueC, "");
}

}  // namespace
}  // namespace velmok::session
