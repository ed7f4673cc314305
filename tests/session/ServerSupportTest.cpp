// What servers announce in 005 (member marks and their order, channel
// prefixes, mode kinds) and who is away, as the member lists show it.
#include <gtest/gtest.h>

#include "session/SessionFixture.h"

namespace velmok::session {

namespace {

using Members = std::vector<std::string>;

class ServerSupportTest : public SessionFixture {
protected:
    FakeClientSocket* socket = nullptr;

    // Registered on a server that announces five member marks.
    void SetUp() override {
        socket = Register(0, "n");
        socket->Deliver(
            ":srv 005 n PREFIX=(qaohv)~&@%+ CHANTYPES=#& CHANMODES=beI,k,l,imnpst :are supported\r\n");
    }
    int JoinOwn(const std::string& channel) {
        engine.SendNow(0, "JOIN " + channel + "\r\n");
        socket->Deliver(":n!u@h JOIN :" + channel + "\r\n");
        socket->TakeSent();
        return engine.FindChannel(0, channel);
    }
    const Members& MembersOf(int window) { return engine.Channel(0, window).Members; }
};

}  // namespace

TEST_F(ServerSupportTest, FiveMarksSortAndFollowModePartNickAndQuit) {
    const int c = JoinOwn("#c");
    // multi-prefix: several marks, in any order the server likes.
    socket->Deliver(":srv 353 n = #c :@~owner &admin +@op %dave +carol erin @n\r\n:srv 366 n #c :End\r\n");
    EXPECT_EQ(MembersOf(c), (Members{"~@owner", "&admin", "@n", "@+op", "%dave", "+carol", "erin"}));
    EXPECT_TRUE(engine.Channel(0, c).OwnOp);

    // Modes with parameters by their announced kinds: -k takes one here.
    socket->Deliver(":x!u@h MODE #c +hb-vk+q carol *!*@x carol key erin\r\n");
    EXPECT_EQ(MembersOf(c), (Members{"~erin", "~@owner", "&admin", "@n", "@+op", "%carol", "%dave"}));
    EXPECT_EQ(ui.lines.back().text, "x MODE +hb-vk+q carol *!*@x carol key erin");

    socket->Deliver(
        ":dave!u@h PART #c :bye\r\n:op!u@h NICK oper\r\n:owner!u@h QUIT :gone\r\n"
        ":admin!u@h KICK #c carol :out\r\n");
    EXPECT_EQ(MembersOf(c), (Members{"~erin", "&admin", "@n", "@+oper"}));

    // Our own operator status goes with our last mark of that rank.
    socket->Deliver(":x!u@h MODE #c +a-o n n\r\n");
    EXPECT_EQ(MembersOf(c), (Members{"~erin", "&admin", "&n", "@+oper"}));
    EXPECT_TRUE(engine.Channel(0, c).OwnOp);
    socket->Deliver(":x!u@h MODE #c -a n\r\n");
    EXPECT_FALSE(engine.Channel(0, c).OwnOp);

    // CHANTYPES: "+" opens no channel window on this server; another server
    // that announces nothing keeps "#&+!".
    EXPECT_TRUE(engine.IsChannel(0, "&local"));
    EXPECT_FALSE(engine.IsChannel(0, "+modeless"));
    const int w = engine.OpenChannelTab(0, "+modeless");
    ASSERT_GE(w, 0);
    EXPECT_FALSE(engine.Channel(0, w).IsChannel);
    Register(1, "n");
    EXPECT_TRUE(engine.IsChannel(1, "+modeless"));
}

TEST_F(ServerSupportTest, AwayMembersAreKnownFromAwayNotifyWhoAnd301) {
    engine.Slot(0).Caps.Enabled.insert("away-notify");
    const int c = JoinOwn("#c");
    EXPECT_EQ(engine.Slot(0).SendQueueC, "WHO #c\r\n2:");
    socket->Deliver(":srv 353 n = #c :@n bob carol dave\r\n:srv 366 n #c :End\r\n");
    ui.Clear();
    // The channel's WHO is read, not shown; a WHO the user asked for is shown.
    socket->Deliver(
        ":srv 352 n #c u h srv bob G :0 Bob\r\n:srv 352 n #c u h srv carol H@ :0 Carol\r\n"
        ":srv 315 n #c :End of WHO\r\n:srv 352 n #c u h srv bob G :0 Bob\r\n");
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0].text, "352 #c u h srv bob G 0 Bob");
    EXPECT_TRUE(engine.IsAway(0, "BOB"));
    EXPECT_FALSE(engine.IsAway(0, "carol"));
    EXPECT_EQ(ui.membersChanged, (std::vector<std::pair<int, int>>{{0, c}}));

    socket->Deliver(":carol!u@h AWAY :lunch\r\n:bob!u@h AWAY\r\n:srv 301 n dave :afk\r\n");
    EXPECT_TRUE(engine.IsAway(0, "carol"));
    EXPECT_FALSE(engine.IsAway(0, "bob"));
    EXPECT_TRUE(engine.IsAway(0, "dave"));
    EXPECT_EQ(ui.membersChanged.size(), 4u);
    EXPECT_EQ(ui.lines.size(), 2u);  // the 301 only

    // A new nick stays away; one who quits is forgotten.
    socket->Deliver(":carol!u@h NICK caro\r\n:dave!u@h QUIT :bye\r\n");
    EXPECT_TRUE(engine.IsAway(0, "caro"));
    EXPECT_FALSE(engine.IsAway(0, "carol"));
    EXPECT_FALSE(engine.IsAway(0, "dave"));
}

}  // namespace velmok::session
