// Two engine instances on a real ngircd: channel membership, member lists and
// the lines each one shows as the other acts.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/QtClock.h"
#include "platform/QtSockets.h"
#include "session/Codec.h"
#include "session/Engine.h"
#include "support/NgircdServer.h"
#include "support/QtWait.h"
#include "support/RecordingFrontend.h"

namespace velmok::session {
namespace {

using Members = std::vector<std::string>;

constexpr int kWait = 5000;
const std::string kHello = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd";                 // こんにちは
const std::string kTest = "\x83\x65\x83X\x83g";                                        // テスト
const std::string kTopic = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83g\x83s\x83\x62\x83N";  // 日本語のトピック
const std::string kBye = "\x82\xb3\x82\xe6\x82\xa4\x82\xc8\x82\xe7";                   // さようなら

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
    // What a typed line or a menu action does: queue it for the send timer.
    void Send(const std::string& sjisLine) { engine.EnqueueLine(Queue::A, 0, SjisToJis(sjisLine), 1); }
    int Window(const std::string& name) { return engine.FindChannel(0, name); }
    Members MembersOf(const std::string& channel) {
        const int w = Window(channel);
        return w < 0 ? Members{} : engine.Channel(0, w).Members;
    }
    bool Rendered(int window, const std::string& text) {
        const auto texts = ui.TextsIn(0, window);
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
    bool RenderedStarting(int window, const std::string& start) {
        for (const auto& t : ui.TextsIn(0, window))
            if (t.compare(0, start.size(), start) == 0) return true;
        return false;
    }
};

class ChannelsNgircdTest : public ::testing::Test {
protected:
    test::NgircdServer server;
    std::unique_ptr<Client> alice;
    std::unique_ptr<Client> bob;

    void SetUp() override {
        if (!test::NgircdServer::Available()) GTEST_SKIP() << "ngircd is not installed";
        ASSERT_TRUE(server.Start()) << server.Error();
        alice = std::make_unique<Client>("alice", server.Port());
        bob = std::make_unique<Client>("bob", server.Port());
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

TEST_F(ChannelsNgircdTest, MembershipMessagesAndModesAcrossTwoClients) {
    Client& a = *alice;
    Client& b = *bob;

    // JOIN and NAMES: the channel's creator is its operator.
    a.Send("JOIN #velmok");
    ASSERT_TRUE(Wait([&] { return a.MembersOf("#velmok") == Members{"@alice"}; })) << server.Log();
    EXPECT_TRUE(a.engine.Channel(0, a.Window("#velmok")).OwnOp);
    b.Send("JOIN #Velmok");
    ASSERT_TRUE(Wait([&] {
        return b.MembersOf("#velmok") == Members{"@alice", "bob"} &&
               a.MembersOf("#velmok") == Members{"@alice", "bob"};
    }));
    const int aChan = a.Window("#velmok");
    int bChan = b.Window("#velmok");
    EXPECT_FALSE(b.engine.Channel(0, bChan).OwnOp);
    EXPECT_TRUE(a.RenderedStarting(aChan, "bob JOIN (bob!"));

    // Japanese text both ways, shown in Shift-JIS.
    a.Send("PRIVMSG #velmok :" + kHello);
    ASSERT_TRUE(Wait([&] { return b.Rendered(bChan, "<alice> " + kHello); }));
    b.Send("PRIVMSG #velmok :" + kTest + " ok");
    ASSERT_TRUE(Wait([&] { return a.Rendered(aChan, "<bob> " + kTest + " ok"); }));

    // A private message opens a window named after the sender.
    a.Send("PRIVMSG bob :" + kHello);
    ASSERT_TRUE(Wait([&] { return b.Window("alice") >= 0; }));
    const int bPriv = b.Window("alice");
    EXPECT_FALSE(b.engine.Channel(0, bPriv).IsChannel);
    ASSERT_TRUE(Wait([&] { return b.Rendered(bPriv, "<alice> " + kHello); }));

    // TOPIC is stored in wire form and shown in Shift-JIS.
    a.Send("TOPIC #velmok :" + kTopic);
    ASSERT_TRUE(Wait([&] { return b.Rendered(bChan, "alice TOPIC " + kTopic); }));
    EXPECT_EQ(b.engine.Channel(0, bChan).Topic, SjisToJis(kTopic));

    // MODE +o changes the caption and the own operator flag.
    a.Send("MODE #velmok +o bob");
    ASSERT_TRUE(Wait([&] { return b.MembersOf("#velmok") == Members{"@alice", "@bob"}; }));
    EXPECT_TRUE(b.engine.Channel(0, bChan).OwnOp);
    EXPECT_TRUE(b.Rendered(bChan, "alice MODE +o bob"));
    ASSERT_TRUE(Wait([&] { return a.MembersOf("#velmok") == Members{"@alice", "@bob"}; }));

    // NICK renames the caption (keeping the "@") and the other side's own nick.
    b.Send("NICK robert");
    ASSERT_TRUE(Wait([&] { return a.MembersOf("#velmok") == Members{"@alice", "@robert"}; }));
    EXPECT_TRUE(a.Rendered(aChan, "bob NICK robert"));
    ASSERT_TRUE(Wait([&] { return b.engine.Session(0).Nick == "robert"; }));
    EXPECT_EQ(b.MembersOf("#velmok"), (Members{"@alice", "@robert"}));

    // PART with a message.
    b.Send("PART #velmok :" + kBye);
    ASSERT_TRUE(Wait([&] { return a.MembersOf("#velmok") == Members{"@alice"}; }));
    EXPECT_TRUE(a.Rendered(aChan, "robert PART (" + kBye + ")"));
    ASSERT_TRUE(Wait([&] { return b.Window("#velmok") < 0; }));

    // KICK: the kicked side loses its window and sees the line in the server window.
    b.Send("JOIN #velmok");
    ASSERT_TRUE(Wait([&] { return a.MembersOf("#velmok") == Members{"@alice", "robert"}; }));
    ASSERT_TRUE(Wait([&] { return b.MembersOf("#velmok") == Members{"@alice", "robert"}; }));
    a.Send("KICK #velmok robert :" + kBye);
    ASSERT_TRUE(Wait([&] { return b.Window("#velmok") < 0; }));
    ASSERT_TRUE(Wait([&] { return b.Rendered(ServerWindow, "alice KICK #velmok robert (" + kBye + ")"); }));
    ASSERT_TRUE(Wait([&] { return a.MembersOf("#velmok") == Members{"@alice"}; }));
    EXPECT_TRUE(a.Rendered(aChan, "alice KICK robert (" + kBye + ")"));

    // QUIT removes the member and is shown in the channel.
    b.Send("JOIN #velmok");
    ASSERT_TRUE(Wait([&] { return a.MembersOf("#velmok") == Members{"@alice", "robert"}; }));
    b.Send("QUIT :" + kBye);
    ASSERT_TRUE(Wait([&] { return a.MembersOf("#velmok") == Members{"@alice"}; }));
    EXPECT_TRUE(a.RenderedStarting(aChan, "robert QUIT ("));
    bool quitShowsReason = false;
    for (const auto& t : a.ui.TextsIn(0, aChan))
        if (t.rfind("robert QUIT (", 0) == 0 && t.find(kBye) != std::string::npos) quitShowsReason = true;
    EXPECT_TRUE(quitShowsReason);
}

}  // namespace
}  // namespace velmok::session
