// Two engine instances on a real ngircd: channel membership, member lists and
// the lines each one shows as the other acts.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "session/Codec.h"
#include "session/Engine.h"
#include "support/qt/EngineClient.h"

namespace velmok::session {
namespace {

using Members = std::vector<std::string>;

const std::string kHello = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd";                 // こんにちは
const std::string kTest = "\x83\x65\x83X\x83g";                                        // テスト
const std::string kTopic = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83g\x83s\x83\x62\x83N";  // 日本語のトピック
const std::string kBye = "\x82\xb3\x82\xe6\x82\xa4\x82\xc8\x82\xe7";                   // さようなら

using Client = test::EngineClient;

int Window(Client& c, const std::string& name) { return c.engine.FindChannel(0, name); }
Members MembersOf(Client& c, const std::string& channel) {
    const int w = Window(c, channel);
    return w < 0 ? Members{} : c.engine.Channel(0, w).Members;
}
bool Rendered(Client& c, int window, const std::string& text) {
    const auto texts = c.ui.TextsIn(0, window);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}
bool RenderedStarting(Client& c, int window, const std::string& start) {
    return !c.LineStarting(window, start).empty();
}

class ChannelsNgircdTest : public test::TwoClientsTest {};

TEST_F(ChannelsNgircdTest, MembershipMessagesAndModesAcrossTwoClients) {
    Client& a = *alice;
    Client& b = *bob;

    // JOIN and NAMES: the channel's creator is its operator.
    a.Send("JOIN #velmok");
    ASSERT_TRUE(Wait([&] { return MembersOf(a, "#velmok") == Members{"@alice"}; })) << server.Log();
    EXPECT_TRUE(a.engine.Channel(0, Window(a, "#velmok")).OwnOp);
    b.Send("JOIN #Velmok");
    ASSERT_TRUE(Wait([&] {
        return MembersOf(b, "#velmok") == Members{"@alice", "bob"} &&
               MembersOf(a, "#velmok") == Members{"@alice", "bob"};
    }));
    const int aChan = Window(a, "#velmok");
    int bChan = Window(b, "#velmok");
    EXPECT_FALSE(b.engine.Channel(0, bChan).OwnOp);
    EXPECT_TRUE(RenderedStarting(a, aChan, "bob JOIN (bob!"));

    // Japanese text both ways, shown in Shift-JIS.
    a.Send("PRIVMSG #velmok :" + kHello);
    ASSERT_TRUE(Wait([&] { return Rendered(b, bChan, "<alice> " + kHello); }));
    b.Send("PRIVMSG #velmok :" + kTest + " ok");
    ASSERT_TRUE(Wait([&] { return Rendered(a, aChan, "<bob> " + kTest + " ok"); }));

    // A private message opens a window named after the sender.
    a.Send("PRIVMSG bob :" + kHello);
    ASSERT_TRUE(Wait([&] { return Window(b, "alice") >= 0; }));
    const int bPriv = Window(b, "alice");
    EXPECT_FALSE(b.engine.Channel(0, bPriv).IsChannel);
    ASSERT_TRUE(Wait([&] { return Rendered(b, bPriv, "<alice> " + kHello); }));

    // TOPIC is stored in wire form and shown in Shift-JIS.
    a.Send("TOPIC #velmok :" + kTopic);
    ASSERT_TRUE(Wait([&] { return Rendered(b, bChan, "alice TOPIC " + kTopic); }));
    EXPECT_EQ(b.engine.Channel(0, bChan).Topic, SjisToJis(kTopic));

    // MODE +o changes the caption and the own operator flag.
    a.Send("MODE #velmok +o bob");
    ASSERT_TRUE(Wait([&] { return MembersOf(b, "#velmok") == Members{"@alice", "@bob"}; }));
    EXPECT_TRUE(b.engine.Channel(0, bChan).OwnOp);
    EXPECT_TRUE(Rendered(b, bChan, "alice MODE +o bob"));
    ASSERT_TRUE(Wait([&] { return MembersOf(a, "#velmok") == Members{"@alice", "@bob"}; }));

    // NICK renames the caption (keeping the "@") and the other side's own nick.
    b.Send("NICK robert");
    ASSERT_TRUE(Wait([&] { return MembersOf(a, "#velmok") == Members{"@alice", "@robert"}; }));
    EXPECT_TRUE(Rendered(a, aChan, "bob NICK robert"));
    ASSERT_TRUE(Wait([&] { return b.engine.Session(0).Nick == "robert"; }));
    EXPECT_EQ(MembersOf(b, "#velmok"), (Members{"@alice", "@robert"}));

    // PART with a message.
    b.Send("PART #velmok :" + kBye);
    ASSERT_TRUE(Wait([&] { return MembersOf(a, "#velmok") == Members{"@alice"}; }));
    EXPECT_TRUE(Rendered(a, aChan, "robert PART (" + kBye + ")"));
    ASSERT_TRUE(Wait([&] { return Window(b, "#velmok") < 0; }));

    // KICK: the kicked side loses its window and sees the line in the server window.
    b.Send("JOIN #velmok");
    ASSERT_TRUE(Wait([&] { return MembersOf(a, "#velmok") == Members{"@alice", "robert"}; }));
    ASSERT_TRUE(Wait([&] { return MembersOf(b, "#velmok") == Members{"@alice", "robert"}; }));
    a.Send("KICK #velmok robert :" + kBye);
    ASSERT_TRUE(Wait([&] { return Window(b, "#velmok") < 0; }));
    ASSERT_TRUE(Wait([&] { return Rendered(b, ServerWindow, "alice KICK #velmok robert (" + kBye + ")"); }));
    ASSERT_TRUE(Wait([&] { return MembersOf(a, "#velmok") == Members{"@alice"}; }));
    EXPECT_TRUE(Rendered(a, aChan, "alice KICK robert (" + kBye + ")"));

    // QUIT removes the member and is shown in the channel.
    b.Send("JOIN #velmok");
    ASSERT_TRUE(Wait([&] { return MembersOf(a, "#velmok") == Members{"@alice", "robert"}; }));
    b.Send("QUIT :" + kBye);
    ASSERT_TRUE(Wait([&] { return MembersOf(a, "#velmok") == Members{"@alice"}; }));
    EXPECT_TRUE(RenderedStarting(a, aChan, "robert QUIT ("));
    bool quitShowsReason = false;
    for (const auto& t : a.ui.TextsIn(0, aChan))
        if (t.rfind("robert QUIT (", 0) == 0 && t.find(kBye) != std::string::npos) quitShowsReason = true;
    EXPECT_TRUE(quitShowsReason);
}

// bob's server reads UTF-8, alice's ISO-2022-JP; alice sees his ｶﾞ half-width, as typed.
class Utf8NgircdTest : public test::TwoClientsTest {
    void BeforeConnect() override {
        bob->settings.Encodings.Set("127.0.0.1", std::to_string(server.Port()), config::WireEncoding::Utf8);
    }
};

TEST_F(Utf8NgircdTest, AnIso2022JpAndAUtf8ClientReadEachOther) {
    alice->Send("JOIN #velmok"), bob->Send("JOIN #velmok");
    ASSERT_TRUE(
        Wait([&] { return MembersOf(*alice, "#velmok").size() + MembersOf(*bob, "#velmok").size() == 4; }));
    alice->Send("PRIVMSG #velmok :" + kHello), bob->Send("PRIVMSG #velmok :" + kTest + "\xb6\xde");
    EXPECT_TRUE(Wait([&] {
        return Rendered(*bob, Window(*bob, "#velmok"), "<alice> " + kHello) &&
               Rendered(*alice, Window(*alice, "#velmok"), "<bob> " + kTest + "\xb6\xde");
    }));
}

}  // namespace
}  // namespace velmok::session
