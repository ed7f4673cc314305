// Two engine instances on a real ngircd: CTCP queries and their answers, the
// WHOIS table and the channel list as the server really sends them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/QtClock.h"
#include "platform/QtSockets.h"
#include "session/Engine.h"
#include "support/NgircdServer.h"
#include "support/QtWait.h"
#include "support/RecordingFrontend.h"

namespace velmok::session {
namespace {

constexpr int kWait = 5000;

struct Client {
    RecordingFrontend ui;
    platform::QtClock clock;
    platform::QtSocketFactory sockets;
    config::Settings settings;
    Engine engine{ui, clock, sockets, settings};

    Client(const std::string& nick, int port) {
        ServerSession& s = engine.Session(0);
        s.ServerName = "127.0.0.1";
        s.Port = port;
        s.Nick = nick;
        s.UserName = nick;
        s.RealName = "Velmok test";
    }
    void Send(const std::string& line) { engine.EnqueueLine(Queue::A, 0, line, 1); }
    // The first text rendered into the server window that starts with start.
    std::string ServerLineStarting(const std::string& start) const {
        for (const auto& t : ui.TextsIn(0, ServerWindow))
            if (t.compare(0, start.size(), start) == 0) return t;
        return {};
    }
};

class CtcpNgircdTest : public ::testing::Test {
protected:
    test::NgircdServer server;
    std::unique_ptr<Client> alice;
    std::unique_ptr<Client> bob;

    void SetUp() override {
        if (!test::NgircdServer::Available()) GTEST_SKIP() << "ngircd is not installed";
        ASSERT_TRUE(server.Start()) << server.Error();
        alice = std::make_unique<Client>("alice", server.Port());
        bob = std::make_unique<Client>("bob", server.Port());
        bob->engine.OsName = "TestOS";
        ASSERT_TRUE(alice->engine.ConnectSession(0));
        ASSERT_TRUE(bob->engine.ConnectSession(0));
        ASSERT_TRUE(Wait([&] { return alice->engine.Slot(0).Registered && bob->engine.Slot(0).Registered; }))
            << server.Log();
    }

    // Runs the event loop, standing in for both send timers, until done holds.
    bool Wait(const std::function<bool()>& done) {
        return test::WaitUntil(
            [&] {
                for (Client* c : {alice.get(), bob.get()})
                    if (c) c->engine.DrainSendQueues();
                return done();
            },
            kWait);
    }
};

TEST_F(CtcpNgircdTest, QueriesAreAnsweredAndTheAnswersShown) {
    Client& a = *alice;
    Client& b = *bob;

    a.engine.QueueCtcpRequest(0, {"bob"}, "VERSION");
    ASSERT_TRUE(Wait([&] { return !a.ServerLineStarting("bob VERSION").empty(); })) << server.Log();
    EXPECT_EQ(a.ServerLineStarting("bob VERSION"), "bob VERSION velmok 2.2 (TestOS)");
    EXPECT_EQ(b.ServerLineStarting("CTCP VERSION"), "CTCP VERSION from alice");

    a.engine.QueueCtcpRequest(0, {"@bob"}, "TIME");
    ASSERT_TRUE(Wait([&] { return !a.ServerLineStarting("bob TIME").empty(); }));
    // "bob TIME " and the 24-character ctime form.
    EXPECT_EQ(a.ServerLineStarting("bob TIME").size(), 9u + 24u);

    // The request is stamped with the tick it leaves at; holding the loop a
    // little makes the measured delay certainly non-zero.
    a.engine.QueueCtcpRequest(0, {"bob"}, "PING");
    a.engine.DrainSendQueues();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(Wait([&] { return !a.ServerLineStarting("bob PING").empty(); }));
    const std::string ping = a.ServerLineStarting("bob PING");
    const std::string tail = " seconds.";
    ASSERT_GT(ping.size(), tail.size()) << ping;
    EXPECT_EQ(ping.compare(ping.size() - tail.size(), tail.size(), tail), 0) << ping;
    const double seconds = std::stod(ping.substr(9, ping.size() - 9 - tail.size()));
    EXPECT_GE(seconds, 0.02);
    EXPECT_LT(seconds, 5.0);
    EXPECT_FALSE(b.ServerLineStarting("CTCP PING from alice").empty());
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
