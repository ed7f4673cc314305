// Two engine instances on a real ngircd: CTCP queries and their answers, the
// WHOIS table and the channel list as the server really sends them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "session/Engine.h"
#include "support/qt/EngineClient.h"

namespace velmok::session {
namespace {

using Client = test::EngineClient;

class CtcpNgircdTest : public test::TwoClientsTest {
protected:
    void BeforeConnect() override { bob->engine.OsName = "TestOS"; }
};

TEST_F(CtcpNgircdTest, QueriesAreAnsweredAndTheAnswersShown) {
    Client& a = *alice;
    Client& b = *bob;

    a.engine.QueueCtcpRequest(0, "", {"bob"}, "VERSION");
    ASSERT_TRUE(Wait([&] { return !a.LineStarting(ServerWindow, "bob VERSION").empty(); })) << server.Log();
    EXPECT_EQ(a.LineStarting(ServerWindow, "bob VERSION"), "bob VERSION velmok 2.2 (TestOS)");
    EXPECT_EQ(b.LineStarting(ServerWindow, "CTCP VERSION"), "CTCP VERSION from alice");

    a.engine.QueueCtcpRequest(0, "", {"@bob"}, "TIME");
    ASSERT_TRUE(Wait([&] { return !a.LineStarting(ServerWindow, "bob TIME").empty(); }));
    // "bob TIME " and the 24-character ctime form.
    EXPECT_EQ(a.LineStarting(ServerWindow, "bob TIME").size(), 9u + 24u);

    // The request is stamped with the tick it leaves at; holding the loop a
    // little makes the measured delay certainly non-zero.
    a.engine.QueueCtcpRequest(0, "", {"bob"}, "PING");
    a.engine.DrainSendQueues();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(Wait([&] { return !a.LineStarting(ServerWindow, "bob PING").empty(); }));
    const std::string ping = a.LineStarting(ServerWindow, "bob PING");
    const std::string tail = " seconds.";
    ASSERT_GT(ping.size(), tail.size()) << ping;
    EXPECT_EQ(ping.compare(ping.size() - tail.size(), tail.size(), tail), 0) << ping;
    const double seconds = std::stod(ping.substr(9, ping.size() - 9 - tail.size()));
    EXPECT_GE(seconds, 0.02);
    EXPECT_LT(seconds, 5.0);
    EXPECT_FALSE(b.LineStarting(ServerWindow, "CTCP PING from alice").empty());
}

TEST_F(CtcpNgircdTest, WhoisFillsOneRowAndAsksForOneWindow) {
    Client& a = *alice;
    a.Send("WHOIS nobody");
    a.Send("WHOIS bob");
    ASSERT_TRUE(Wait([&] { return !a.ui.whoisOpened.empty(); })) << server.Log();
    test::SpinFor(200);

    ASSERT_EQ(a.engine.Liv_Whois.size(), 1u);  // nothing kept for the missing nick
    const WhoisRow& row = a.engine.Liv_Whois[0];
    EXPECT_EQ(row.Col[WhoisNick], "bob");
    EXPECT_NE(row.Col[WhoisUser].find("bob"), std::string::npos);
    EXPECT_EQ(row.Col[WhoisHost], "127.0.0.1");
    EXPECT_EQ(row.Col[WhoisRealName], "Velmok test");
    EXPECT_EQ(row.Col[WhoisServerName], test::NgircdServer::kServerName);
    EXPECT_EQ(row.Col[WhoisIsShow], "2");
    ASSERT_EQ(a.ui.whoisOpened.size(), 1u);
    EXPECT_EQ(a.ui.whoisOpened[0].nick, "bob");
}

TEST_F(CtcpNgircdTest, ChannelListIsCollectedAndTheWindowRequestedOnce) {
    Client& a = *alice;
    Client& b = *bob;
    a.Send("JOIN #one");
    a.Send("JOIN #two");
    b.Send("JOIN #three");
    a.Send("TOPIC #one :first topic");
    ASSERT_TRUE(Wait([&] {
        return a.engine.FindChannel(0, "#two") >= 0 && b.engine.FindChannel(0, "#three") >= 0 &&
               !a.ui.TextsIn(0, a.engine.FindChannel(0, "#one")).empty();
    }));
    test::SpinFor(100);

    a.Send("LIST");
    ASSERT_TRUE(Wait([&] { return a.engine.Slot(0).ListState == 1; })) << server.Log();
    const std::string& list = a.engine.Slot(0).ListText;
    EXPECT_NE(list.find("#one\r\n1\r\nfirst topic\r\n"), std::string::npos) << list;
    EXPECT_NE(list.find("#two\r\n1\r\n\r\n"), std::string::npos) << list;
    EXPECT_NE(list.find("#three\r\n1\r\n\r\n"), std::string::npos) << list;
    EXPECT_EQ(a.ui.channelLists, std::vector<int>{0});

    // The window takes the list; asking again reloads it in the same window.
    a.engine.Slot(0).ListText.clear();
    a.engine.Slot(0).ListState = 2;
    a.Send("LIST");
    ASSERT_TRUE(Wait([&] { return a.engine.Slot(0).ListState == 1; }));
    EXPECT_EQ(a.ui.channelLists.size(), 1u);
}

}  // namespace
}  // namespace velmok::session
