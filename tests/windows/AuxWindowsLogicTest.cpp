// The logic of the channel list, channel properties and WHOIS windows, fed by
// the server lines that fill their stores.
#include <gtest/gtest.h>

#include "session/Codec.h"
#include "session/SessionFixture.h"
#include "windows/ChannelInfo.h"
#include "windows/ChannelList.h"
#include "windows/Whois.h"

namespace velmok::windows {
namespace {

using session::JisToSjis;
using session::SjisToJis;

const std::string kSjisChannel = "#\x8e\x47\x92\x6b";   // "#雑談" sent in Shift-JIS
const std::string kTopic = "\x93\xfa\x96\x7b\x8c\xea";  // "日本語"
const std::string kNote = " (Shift-JIS is included.)";

class AuxLogicTest : public session::SessionFixture {
protected:
    session::FakeClientSocket* socket = nullptr;
    void SetUp() override { socket = Register(0, "me"); }
    void FromServer(const std::string& line) { socket->Deliver(":srv " + line + "\r\n"); }
    std::string& QueueA() { return engine.Slot(0).SendQueueA; }
    int Join(const std::string& channel, bool op) {
        socket->Deliver(":me!u@h JOIN :" + channel + "\r\n");
        FromServer("353 me = " + channel + " :" + (op ? "@me" : "me") + " bob");
        FromServer("366 me " + channel + " :End");
        return engine.FindChannel(0, channel);
    }
};

TEST_F(AuxLogicTest, ChannelListShowsRowsInOrderAndJoinsTheNameAsReceived) {
    Join("#joined", true);
    FromServer("322 me #zeta 3 :" + SjisToJis(kTopic) + " talk");
    FromServer("322 me " + kSjisChannel + " 12 :");
    FromServer("322 me #joined 1 :here");
    FromServer("323 me :End of LIST");
    ASSERT_EQ(ui.channelLists, std::vector<int>{0});

    ChannelListData data;
    ASSERT_TRUE(TakeChannelList(engine, 0, data));
    ASSERT_EQ(data.rows.size(), 3u);
    EXPECT_EQ(data.rows[0].caption, "#zeta");
    EXPECT_EQ(data.rows[0].users, "3");
    EXPECT_EQ(data.rows[0].topic, kTopic + " talk");
    EXPECT_EQ(data.rows[1].caption, JisToSjis(kSjisChannel) + kNote);
    EXPECT_EQ(data.names, (std::vector<std::string>{"#zeta", kSjisChannel, "#joined"}));
    EXPECT_EQ(engine.Slot(0).ListState, 2);
    EXPECT_TRUE(engine.Slot(0).ListText.empty());
    EXPECT_FALSE(TakeChannelList(engine, 0, data));  // nothing new: the rows stay
    EXPECT_EQ(data.rows.size(), 3u);

    QueueA().clear();
    EXPECT_TRUE(JoinListedChannel(engine, 0, kSjisChannel));
    EXPECT_FALSE(JoinListedChannel(engine, 0, "#joined"));
    EXPECT_EQ(QueueA(), "JOIN " + kSjisChannel + "\r\n2:");

    // A further LIST while open refills the same window, told at once.
    FromServer("322 me #new 1 :");
    FromServer("323 me :End of LIST");
    EXPECT_EQ(ui.channelLists.size(), 1u);
    EXPECT_EQ(ui.channelListRefreshes, std::vector<int>{0});
    ASSERT_TRUE(TakeChannelList(engine, 0, data));
    EXPECT_EQ(data.names, std::vector<std::string>{"#new"});

    // A last entry cut short keeps what arrived of it.
    ParseChannelList("#a\r\n3\r\ntop", data);
    ASSERT_EQ(data.rows.size(), 1u);
    EXPECT_EQ(data.rows[0].topic, "top");
}

TEST_F(AuxLogicTest, AListClosedOrCutOffWhileComingInIsDropped) {
    FromServer("322 me #a 1 :");
    FromServer("323 me :End of LIST");
    ChannelListData data;
    TakeChannelList(engine, 0, data);

    // The user closes the window in the middle of the next answer: its rest
    // does not bring the window back with half a list.
    FromServer("322 me #b 1 :");
    ChannelListClosed(engine, 0);
    FromServer("322 me #c 1 :");
    FromServer("323 me :End of LIST");
    EXPECT_EQ(ui.channelLists.size(), 1u);
    EXPECT_TRUE(engine.Slot(0).ListText.empty());
    EXPECT_EQ(engine.Slot(0).ListState, 0);
    FromServer("322 me #d 1 :");
    FromServer("323 me :End of LIST");
    EXPECT_EQ(ui.channelLists.size(), 2u);
    EXPECT_EQ(engine.Slot(0).ListText, "#d\r\n1\r\n\r\n");

    // A connection lost in the middle of an answer leaves nothing to prefix
    // the next list with.
    TakeChannelList(engine, 0, data);
    FromServer("322 me #lost 1 :");
    socket->FireDisconnect();
    EXPECT_TRUE(engine.Slot(0).ListText.empty());
}

TEST_F(AuxLogicTest, ChannelPropertiesShowTheRecordAndTheOperatorRules) {
    const int c = Join("#c", true);
    FromServer("324 me #c +tnlk 30 " + SjisToJis(kTopic));
    FromServer("332 me #c :" + SjisToJis(kTopic));
    ChannelInfoState s = ChannelInfoFromRecord(engine, 0, c);
    EXPECT_TRUE(s.HadLimit);
    EXPECT_TRUE(s.HadKey);
    ChannelInfoView v = ChannelInfoShown(s);
    EXPECT_EQ(v.caption, "#c");
    EXPECT_EQ(v.topic, kTopic);
    EXPECT_EQ(v.modes, (std::array<bool, 6>{false, false, false, true, false, true}));
    EXPECT_TRUE(v.limitChecked && v.limitEnabled);
    EXPECT_EQ(v.limit, "30");
    EXPECT_EQ(v.key, kTopic);
    EXPECT_TRUE(v.modesEnabled && v.topicEnabled && v.banChecks);

    socket->Deliver(":x!u@h MODE #c -o me\r\n");
    v = ChannelInfoShown(ChannelInfoFromRecord(engine, 0, c));
    EXPECT_EQ(v.caption, "#c (Not Channel Operator)");
    EXPECT_FALSE(v.topicEnabled);  // +t
    EXPECT_FALSE(v.modesEnabled || v.limitEnabled || v.keyEnabled || v.banChecks);
    socket->Deliver(":x!u@h MODE #c -t\r\n");
    EXPECT_TRUE(ChannelInfoShown(ChannelInfoFromRecord(engine, 0, c)).topicEnabled);

    // Unchanged OK sends nothing, even for a topic another client spelt with
    // the older JIS escape.
    FromServer("332 me #c :\x1b$@F|K\\8l\x1b(B");
    s = ChannelInfoFromRecord(engine, 0, c);
    ChannelInfoEdits e;
    const ChannelInfoView shown = ChannelInfoShown(s);
    e.topic = shown.topic;
    e.modes = shown.modes;
    e.limitChecked = true;
    e.limit = shown.limit;
    e.keyChecked = true;
    e.key = shown.key;
    EXPECT_EQ(ChannelInfoOk(engine, 0, s, e), 0);
    EXPECT_EQ(QueueA(), "");

    // A non-operator may still set the topic of a channel without +t.
    e.topic = "new";
    EXPECT_EQ(ChannelInfoOk(engine, 0, s, e), 0);
    EXPECT_EQ(QueueA(), "TOPIC #c :new\r\n2:");
}

TEST_F(AuxLogicTest, OkSendsTopicThenModeLinesOfThreeThenUnbans) {
    ChannelInfoState s;
    s.ChannelName = "#c";
    s.OldTopic = "old";
    s.OldModes = {false, true, false, false, false, true};  // +s +n
    s.IsOperator = true;
    ChannelInfoEdits e;
    e.topic = kTopic;
    e.modes = {true, false, true, true, false, false};  // +p (clearing s) +m +t -n
    e.unban = {"*!*@a.example", "*!*@b.example"};
    ASSERT_EQ(ChannelInfoOk(engine, 0, s, e), 0);
    EXPECT_EQ(QueueA(), "TOPIC #c :" + SjisToJis(kTopic) +
                            "\r\n2:"
                            "MODE #c +p-s+m\r\n10:MODE #c +t-n\r\n7:"
                            "MODE #c -b *!*@a.example\r\n4:MODE #c -b *!*@b.example\r\n4:");
}

TEST_F(AuxLogicTest, OkLimitAndKeyParameters) {
    auto ok = [&](ChannelInfoState s, const ChannelInfoEdits& e) {
        QueueA().clear();
        const int r = ChannelInfoOk(engine, 0, s, e);
        return r == 0 ? QueueA() : "error " + std::to_string(r);
    };
    ChannelInfoState plain;
    plain.ChannelName = "#c";
    ChannelInfoEdits limit;
    limit.limitChecked = true;
    limit.limit = "20 and more";
    EXPECT_EQ(ok(plain, limit), "MODE #c +l 20\r\n4:");
    limit.limit = "  20";
    EXPECT_EQ(ok(plain, limit), "MODE #c +l 20\r\n4:");
    limit.keyChecked = true;
    limit.key = kTopic;
    EXPECT_EQ(ok(plain, limit), "MODE #c +l+k 20 :" + SjisToJis(kTopic) + "\r\n7:");

    ChannelInfoState keyed;
    keyed.ChannelName = "#kk";
    keyed.OldKey = "old";
    keyed.HadKey = true;
    keyed.OldLimit = "5";
    keyed.HadLimit = true;
    ChannelInfoEdits off;  // both boxes cleared; the key field still shows the key
    off.key = "old";
    off.limit = "5";
    EXPECT_EQ(ok(keyed, off), "MODE #kk -l-k :old\r\n7:");
    off.key.clear();  // emptied as well: the key the channel has
    EXPECT_EQ(ok(keyed, off), "MODE #kk -l-k :old\r\n7:");
    ChannelInfoEdits moderated;  // a channel named with "k" and no key change
    moderated.modes[2] = true;
    moderated.keyChecked = moderated.limitChecked = true;
    moderated.key = "old";
    moderated.limit = "5";
    EXPECT_EQ(ok(keyed, moderated), "MODE #kk +m\r\n4:");

    // Switched on but empty: refused once, nothing sent.
    ChannelInfoState s = plain;
    ChannelInfoEdits empty;
    empty.topic = "changed";
    empty.limitChecked = true;
    empty.limit = " ";
    QueueA().clear();
    EXPECT_EQ(ChannelInfoOk(engine, 0, s, empty), 11);
    EXPECT_EQ(QueueA(), "");
    EXPECT_FALSE(ChannelInfoMayClose(s));
    EXPECT_TRUE(ChannelInfoMayClose(s));
    empty.limitChecked = false;
    empty.keyChecked = true;
    EXPECT_EQ(ChannelInfoOk(engine, 0, s, empty), 12);
    EXPECT_EQ(QueueA(), "");
}

TEST_F(AuxLogicTest, BanListIsAskedForAndTakenForTheDialogsChannel) {
    const int c = Join("#c", true);
    engine.BanListReply = "stale";
    RequestBanList(engine, 0, c);
    EXPECT_EQ(engine.BanListReply, "");
    EXPECT_EQ(engine.BanListRequests, 1);
    EXPECT_EQ(engine.Slot(0).SendQueueC, "MODE #c +b\r\n4:");

    ui.Clear();
    FromServer("367 me #c *!*@a.example setter 1");
    FromServer("367 me #other *!*@x setter 1");
    FromServer("367 me #c " + SjisToJis(kTopic) + "!*@* setter 1");
    FromServer("368 me #c :End of Channel Ban List");
    EXPECT_TRUE(ui.lines.empty());
    const BanListUpdate update = TakeBanList(engine, "#c");
    EXPECT_TRUE(update.arrived);
    EXPECT_EQ(update.masks, (std::vector<std::string>{"*!*@a.example", SjisToJis(kTopic) + "!*@*"}));
    EXPECT_TRUE(engine.BanListReply.empty());

    // An empty list still replaces what the dialog shows; another channel's does not.
    engine.BanListReply = "#c\r\n\r\n";
    EXPECT_TRUE(TakeBanList(engine, "#c").arrived);
    engine.BanListReply = "#d\r\nm\r\n#d\r\n\r\n";
    EXPECT_FALSE(TakeBanList(engine, "#c").arrived);
    EXPECT_TRUE(engine.BanListReply.empty());
}

TEST_F(AuxLogicTest, WhoisWindowFillsFromItsRowAndTakesTheRowWithIt) {
    FromServer("311 me bob bobu bob.example * :" + SjisToJis(kTopic));
    FromServer("312 me bob irc.example :" + SjisToJis(kTopic) + " server");
    FromServer("317 me bob 3725 1700000000 :seconds idle");
    FromServer("319 me bob :@#a  " + kSjisChannel + " ");
    FromServer("318 me bob :End of WHOIS list");
    ASSERT_EQ(ui.whoisOpened.size(), 1u);

    WhoisView v;
    ASSERT_TRUE(FillWhois(engine, 0, "bob", v));
    EXPECT_EQ(v.user, "bobu");
    EXPECT_EQ(v.host, "bob.example");
    EXPECT_EQ(v.real, kTopic);
    EXPECT_EQ(v.server, "irc.example");
    EXPECT_EQ(v.serverInfo, kTopic + " server");
    EXPECT_TRUE(v.hasIdle);
    EXPECT_EQ(v.idle, "3725 1700000000(01:02:05)");
    EXPECT_EQ(v.channels, (std::vector<std::string>{"@#a", "", JisToSjis(kSjisChannel) + kNote}));
    EXPECT_EQ(engine.Liv_Whois[0].Col[session::WhoisIsShow], "1");
    EXPECT_FALSE(FillWhois(engine, 0, "bob", v));  // shown; waits for a repeat

    // A repeated WHOIS, spelt differently by the server, reaches the same
    // window; a user who is not idle-reported keeps the field as it was.
    // Its real name is in UTF-8 this time ("日本").
    FromServer("311 me Bob bobu other.example * :\xe6\x97\xa5\xe6\x9c\xac");
    FromServer("318 me Bob :End of WHOIS list");
    EXPECT_EQ(ui.whoisOpened.size(), 1u);
    WhoisView again;
    ASSERT_TRUE(FillWhois(engine, 0, "bob", again));
    EXPECT_EQ(again.host, "other.example");
    EXPECT_EQ(again.real, "\x93\xfa\x96{");

    // The same nick on another slot is another row and window.
    session::FakeClientSocket* second = Register(1, "me");
    second->Deliver(":srv 311 me bob u2 h2 * :r\r\n:srv 318 me bob :End\r\n");
    ASSERT_EQ(engine.Liv_Whois.size(), 2u);
    WhoisClosed(engine, 0, "bob");
    ASSERT_EQ(engine.Liv_Whois.size(), 1u);
    EXPECT_EQ(engine.Liv_Whois[0].Slot, 1);

    // Rows still collecting when the connection drops never complete.
    second->Deliver(":srv 311 me carol u h * :r\r\n");
    ASSERT_EQ(engine.Liv_Whois.size(), 2u);
    second->FireDisconnect();
    ASSERT_EQ(engine.Liv_Whois.size(), 1u);
    EXPECT_EQ(engine.Liv_Whois[0].Col[session::WhoisNick], "bob");
}

}  // namespace
}  // namespace velmok::windows
