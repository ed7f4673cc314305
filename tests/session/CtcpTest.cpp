#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/Codec.h"
#include "session/SessionFixture.h"

namespace velmok::session {

namespace {

const std::string kSendQuestion =
    "\x82\xa9\x82\xe7\x83t\x83@"
    "\x83\x43\x83\x8b\x82\xaa\x91\x97\x90M\x82\xb3\x82\xea\x82\xc4\x82\xab\x82\xdc\x82"
    "\xb5\x82\xbd\x81\x42\x8e\xf3\x90M\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x3f";  // からファイルが送信されてきました。受信しますか?
const std::string kChatQuestion =
    "\x82\xa9\x82\xe7\x44\x43\x43 "
    "CHAT\x82\xcc\x97v\x8b\x81\x82\xaa\x82\xab\x82\xdc\x82\xb5\x82\xbd\x81\x42\x90\xda"
    "\x91\xb1\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x3f";  // からDCC CHATの要求がきました。接続しますか?

class CtcpTest : public SessionFixture {
protected:
    FakeClientSocket* socket = nullptr;

    void SetUp() override {
        socket = Register(0, "n");
        engine.OsName = "Linux";
        settings.Interval = 0;  // no burst ever switches protection on here
    }

    // A PRIVMSG from bob as the server relays it.
    void Privmsg(const std::string& target, const std::string& text) {
        socket->Deliver(":bob!u@h PRIVMSG " + target + " :" + text + "\r\n");
    }
    void Notice(const std::string& target, const std::string& text) {
        socket->Deliver(":bob!u@h NOTICE " + target + " :" + text + "\r\n");
    }
    std::vector<std::string> ServerLines() const { return ui.TextsIn(0, ServerWindow); }
};

TEST_F(CtcpTest, VersionIsAnsweredAtOnceAndTraced) {
    Privmsg("n", "\x01VERSION\x01");
    EXPECT_EQ(socket->TakeSent(), "NOTICE bob :\x01VERSION velmok 2.2 (Linux)\x01\r\n");
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0].window, ServerWindow);
    EXPECT_EQ(ui.lines[0].font, FontKind::CTCP);
    EXPECT_EQ(ui.lines[0].text, "CTCP VERSION from bob");
    EXPECT_FALSE(ui.lines[0].markKeywords);
    EXPECT_EQ(ui.marks, (std::vector<std::pair<int, int>>{{0, ServerWindow}}));

    engine.OsName.clear();
    Privmsg("n", "\x01version\x01");  // commands are case-insensitive
    EXPECT_EQ(socket->TakeSent(), "NOTICE bob :\x01VERSION velmok 2.2\x01\r\n");
    EXPECT_EQ(ui.lines.back().text, "CTCP version from bob");
}

TEST_F(CtcpTest, EachQueryAnswersWhenOnAndIsIgnoredWhenOff) {
    engine.LocalHost = "myhost";
    engine.LocalAddress = "10.0.0.5";
    clock.now = FakeClock::MakeTime(2004, 5, 4, 9, 5, 0);
    const std::string userInfo = "\x82\xa0\x82\xa2";  // あい
    settings.UserInfoMessage = userInfo;
    struct Case {
        std::string query;
        bool* setting;
        std::string reply;
    };
    const std::vector<Case> cases = {
        {"PING 123 abc", &settings.ReplyPing, "PING 123 abc"},
        {"CLIENTINFO", &settings.ReplyClientInfo,
         "CLIENTINFO :ACTION CLIENTINFO DCC(CHAT) DCC(SEND) FINGER PING TIME USERINFO VERSION"},
        {"FINGER", &settings.ReplyFinger, "FINGER myhost(10.0.0.5)"},
        {"TIME", &settings.ReplyTime, "TIME Tue May  4 09:05:00 2004"},
        {"USERINFO", &settings.ReplyUserInfo, "USERINFO " + SjisToJis(userInfo)},
        {"VERSION", &settings.ReplyVersion, "VERSION velmok 2.2 (Linux)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const std::string command = c.query.substr(0, c.query.find(' '));
        *c.setting = true;
        Privmsg("n", "\x01" + c.query + "\x01");
        EXPECT_EQ(socket->TakeSent(), "NOTICE bob :\x01" + c.reply + "\x01\r\n");
        EXPECT_EQ(ui.lines.back().text, "CTCP " + command + " from bob");

        *c.setting = false;
        Privmsg("n", "\x01" + c.query + "\x01");
        EXPECT_EQ(socket->TakeSent(), "");
        EXPECT_EQ(ui.lines.back().text, "CTCP " + command + " from bob(Ignore)");

        *c.setting = true;
        engine.ProtectionMode = true;
        Privmsg("n", "\x01" + c.query + "\x01");
        EXPECT_EQ(socket->TakeSent(), "");
        EXPECT_EQ(ui.lines.back().text, "CTCP " + command + " from bob(Ignore)");
        engine.ProtectionMode = false;
    }
}

TEST_F(CtcpTest, TimeUsesFixedEnglishNamesAndTwoDigitDay) {
    clock.now = FakeClock::MakeTime(2023, 12, 31, 23, 59, 7);
    Privmsg("n", "\x01TIME\x01");
    EXPECT_EQ(socket->TakeSent(), "NOTICE bob :\x01TIME Sun Dec 31 23:59:07 2023\x01\r\n");
}

TEST_F(CtcpTest, SeveralSegmentsAreHandledInOrderAndTheTabMarkedOnce) {
    Privmsg("n",
            "lead\x01PING 1\x01 between \x01VERSION\x01\x01"
            "FOO bar\x01\x01TIME");
    EXPECT_EQ(socket->TakeSent(),
              "NOTICE bob :\x01PING 1\x01\r\n"
              "NOTICE bob :\x01VERSION velmok 2.2 (Linux)\x01\r\n");
    EXPECT_EQ(ServerLines(), (std::vector<std::string>{"CTCP PING from bob", "CTCP VERSION from bob",
                                                       "CTCP FOO from bob(Unknown Message)"}));
    EXPECT_EQ(ui.marks.size(), 1u);

    settings.CTCP_Check = false;
    ui.Clear();
    Privmsg("n", "\x01VERSION\x01");
    EXPECT_EQ(ui.lines.size(), 1u);
    EXPECT_TRUE(ui.marks.empty());
    socket->TakeSent();

    // An unclosed segment alone shows and answers nothing.
    ui.Clear();
    Privmsg("n", "\x01VERSION");
    EXPECT_EQ(socket->TakeSent(), "");
    EXPECT_TRUE(ui.lines.empty());
}

TEST_F(CtcpTest, ActionIsShownInTheChannelWindow) {
    socket->Deliver(":n!u@h JOIN #c\r\n");
    const int w = engine.FindChannel(0, "#c");
    ASSERT_GE(w, 0);
    ui.Clear();
    Privmsg("#c",
            "\x01"
            "ACTION waves at all\x01");
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0].window, w);
    EXPECT_EQ(ui.lines[0].font, FontKind::CTCP);
    EXPECT_EQ(ui.lines[0].text, "bob waves at all");
    EXPECT_EQ(ui.marks, (std::vector<std::pair<int, int>>{{0, w}}));

    Privmsg("#c",
            "\x01"
            "ACTION\x01");
    EXPECT_EQ(ui.lines.back().text, "bob(No Parameter)");
    EXPECT_EQ(socket->TakeSent(), "");
}

TEST_F(CtcpTest, LineEndsInsideAPeerTextAreNeverEchoed) {
    Privmsg("n", "\x01PING x\rQUIT :bye\x01");
    EXPECT_EQ(socket->TakeSent(), "");
    EXPECT_EQ(ui.lines.back().text, "CTCP PING from bob(Parameter Error)");
}

TEST_F(CtcpTest, DccSendOfferIsPutToTheUser) {
    ui.yesNoAnswer = true;
    Privmsg("n",
            "\x01"
            "DCC SEND file.txt 3232235777 5000 1234\x01");
    EXPECT_EQ(ui.questions, std::vector<std::string>{"bob" + kSendQuestion});
    ASSERT_EQ(ui.fileOffers.size(), 1u);
    const auto& f = ui.fileOffers[0];
    EXPECT_EQ(f.sender, "bob");
    EXPECT_EQ(f.fileName, "file.txt");
    EXPECT_EQ(f.address, "192.168.1.1");
    EXPECT_EQ(f.port, 5000);
    EXPECT_EQ(f.size, 1234);
    EXPECT_EQ(ui.lines.back().text, "CTCP DCC SEND from bob");
    EXPECT_EQ(socket->TakeSent(), "");

    // Every size the protocol's 32 bits can count reaches the window whole;
    // a larger one would end early and look complete, so it is refused.
    Privmsg("n",
            "\x01"
            "DCC send big.iso 2130706433 5001 4294967295\x01");
    ASSERT_EQ(ui.fileOffers.size(), 2u);
    EXPECT_EQ(ui.fileOffers[1].address, "127.0.0.1");
    EXPECT_EQ(ui.fileOffers[1].size, 4294967295u);
    EXPECT_EQ(ui.lines.back().text, "CTCP DCC send from bob");
    Privmsg("n",
            "\x01"
            "DCC SEND huge.iso 2130706433 5001 4294967297\x01");
    EXPECT_EQ(ui.fileOffers.size(), 2u);
    EXPECT_EQ(ui.lines.back().text, "CTCP DCC SEND from bob(Parameter Error)");

    ui.yesNoAnswer = false;
    Privmsg("n",
            "\x01"
            "DCC SEND file.txt 3232235777 5000 1234\x01");
    EXPECT_EQ(ui.fileOffers.size(), 2u);
    EXPECT_EQ(ui.lines.back().text, "CTCP DCC SEND from bob(Ignore)");
}

TEST_F(CtcpTest, DccChatOfferIsPutToTheUser) {
    ui.yesNoAnswer = true;
    Privmsg("n",
            "\x01"
            "DCC CHAT chat 2130706433 10000\x01");
    EXPECT_EQ(ui.questions, std::vector<std::string>{"bob" + kChatQuestion});
    ASSERT_EQ(ui.chatOffers.size(), 1u);
    EXPECT_EQ(ui.chatOffers[0].sender, "bob");
    EXPECT_EQ(ui.chatOffers[0].address, "127.0.0.1");
    EXPECT_EQ(ui.chatOffers[0].port, 10000);
    EXPECT_EQ(ui.lines.back().text, "CTCP DCC CHAT from bob");

    // The ends of the port range are taken; one past the top is not.
    Privmsg("n",
            "\x01"
            "DCC CHAT chat 2130706433 65535\x01");
    Privmsg("n",
            "\x01"
            "DCC CHAT chat 2130706433 1\x01");
    Privmsg("n",
            "\x01"
            "DCC CHAT chat 2130706433 65536\x01");
    ASSERT_EQ(ui.chatOffers.size(), 3u);
    EXPECT_EQ(ui.chatOffers[1].port, 65535);
    EXPECT_EQ(ui.chatOffers[2].port, 1);
    EXPECT_EQ(ui.lines.back().text, "CTCP DCC CHAT from bob(Parameter Error)");

    ui.yesNoAnswer = false;
    Privmsg("n",
            "\x01"
            "DCC CHAT chat 2130706433 10000\x01");
    EXPECT_EQ(ui.chatOffers.size(), 3u);
    EXPECT_EQ(ui.lines.back().text, "CTCP DCC CHAT from bob(Ignore)");
}

TEST_F(CtcpTest, MalformedDccOffersAskNothing) {
    ui.yesNoAnswer = true;
    const std::vector<std::string> bad = {
        "DCC SEND file.txt 3232235777 5000 12x",          // size not a number
        "DCC SEND my file.txt 3232235777 5000 1234",      // blank in the name: five fields
        "DCC SEND file.txt 3232235777 5000",              // three fields
        "DCC SEND file.txt 3232235777 5000 -1",           // negative size
        "DCC SEND file.txt 3232235777 0 1234",            // port 0
        "DCC SEND file.txt 3232235777 70000 1234",        // port beyond 65535
        "DCC SEND file.txt 3232235777 99999999999 1234",  // port beyond 32 bits
        "DCC SEND file.txt 0 5000 1234",                  // address 0
        "DCC SEND file.txt 4294967296 5000 1234",         // address beyond 32 bits
        "DCC SEND file.txt abc 5000 1234",                // address not a number
        "DCC CHAT chat 2130706433",                       // two fields
        "DCC CHAT chat 2130706433 10000 x",               // four fields
        "DCC CHAT chat 2130706433 -5",                    // signed port
        "DCC CHAT chat 2130706433 10000 ",                // trailing blank: an empty fourth field
    };
    for (const std::string& offer : bad) {
        SCOPED_TRACE(offer);
        Privmsg("n", "\x01" + offer + "\x01");
        const std::string type = offer.substr(4, 4);
        EXPECT_EQ(ui.lines.back().text, "CTCP DCC " + type + " from bob(Parameter Error)");
    }
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(ui.fileOffers.empty());
    EXPECT_TRUE(ui.chatOffers.empty());
}

TEST_F(CtcpTest, DccOffersObeyTheirSettingsAndUnknownTypes) {
    settings.DccSend = false;
    settings.DccChat = false;
    Privmsg("n",
            "\x01"
            "DCC SEND file.txt 3232235777 5000 1234\x01");
    Privmsg("n",
            "\x01"
            "DCC CHAT chat 2130706433 10000\x01");
    Privmsg("n",
            "\x01"
            "DCC RESUME file.txt 5000 0\x01");
    Privmsg("n",
            "\x01"
            "DCC\x01");
    EXPECT_EQ(ServerLines(),
              (std::vector<std::string>{"CTCP DCC SEND from bob(Ignore)", "CTCP DCC CHAT from bob(Ignore)",
                                        "CTCP DCC RESUME from bob(Unknown Message)",
                                        "CTCP DCC from bob(Unknown Message)"}));
    EXPECT_TRUE(ui.questions.empty());
}

// ---- replies to our own queries -------------------------------------------------

TEST_F(CtcpTest, PingReplyShowsTheRoundTrip) {
    clock.tick = 50000;
    engine.QueueCtcpRequest(0, "", {"bob"}, "PING");
    engine.DrainSendQueues();
    const std::string request = socket->TakeSent();
    const std::string prefix = "PRIVMSG bob :\x01PING ";
    ASSERT_EQ(request.compare(0, prefix.size(), prefix), 0) << request;
    const std::string payload = request.substr(prefix.size(), request.size() - prefix.size() - 3);
    EXPECT_EQ(payload, engine.PingStamp + "50000" + engine.PingStamp);

    clock.Advance(250);
    Notice("n", "\x01PING " + payload + "\x01");
    EXPECT_EQ(ui.lines.back().text, "bob PING 0.25 seconds.");
    EXPECT_EQ(ui.lines.back().font, FontKind::CTCP);
    EXPECT_EQ(ui.marks.size(), 1u);

    clock.tick = 51000;
    Notice("n", "\x01PING " + payload + "\x01");
    EXPECT_EQ(ui.lines.back().text, "bob PING 1 seconds.");

    // The shortest reply that holds both stamps: a one-digit tick.
    Notice("n", "\x01PING " + engine.PingStamp + "5" + engine.PingStamp + "\x01");
    EXPECT_EQ(ui.lines.back().text, "bob PING 50.995 seconds.");
}

TEST_F(CtcpTest, DamagedOrForeignPingRepliesFail) {
    const std::string s = engine.PingStamp;
    clock.tick = 60000;
    const std::vector<std::string> payloads = {
        "9999" + std::string("50000") + "9999",  // another stamp
        s + "5" + "000",                         // too short to hold both stamps
        s + "abc" + s,                           // no number
        s + "60000" + s,                         // not earlier than the receive tick
        s + "70000" + s,                         // later than the receive tick
        s + "99999999999" + s,                   // beyond 32 bits
        "",
    };
    for (const std::string& p : payloads) {
        SCOPED_TRACE(p);
        Notice("n", "\x01PING " + p + "\x01");
        EXPECT_EQ(ui.lines.back().text, "bob PING Failed");
    }
    // A negative tick text is the unsigned tick above 2^31.
    clock.tick = 0x80000100u;
    Notice("n", "\x01PING " + s + "-2147483648" + s + "\x01");
    EXPECT_EQ(ui.lines.back().text, "bob PING 0.256 seconds.");
}

TEST_F(CtcpTest, OtherRepliesAreShownOrSkipped) {
    Notice("n",
           "\x01VERSION other 1.0\x01\x01"
           "ACTION\x01\x01XYZZY 1\x01\x01"
           "ACTION jumps\x01");
    EXPECT_EQ(ServerLines(), (std::vector<std::string>{"bob VERSION other 1.0", "bob jumps"}));
    EXPECT_EQ(ui.marks.size(), 1u);

    ui.Clear();
    Notice("n",
           "\x01XYZZY\x01\x01"
           "ACTION\x01");
    EXPECT_TRUE(ui.lines.empty());
    EXPECT_TRUE(ui.marks.empty());

    const std::string jis = SjisToJis("\x82\xa0");  // あ
    Notice("n", "\x01USERINFO " + jis + "\x01");
    EXPECT_EQ(ui.lines.back().text, "bob USERINFO \x82\xa0");
}

// ---- our own queries -------------------------------------------------------------

TEST_F(CtcpTest, RequestsGoToSelectedMembersOrTheChannel) {
    engine.QueueCtcpRequest(0, "#c", {"@op", "+voiced", "plain"}, "VERSION");
    EXPECT_EQ(engine.Slot(0).SendQueueB,
              "PRIVMSG op :\x01VERSION\x01\r\n2:"
              "PRIVMSG voiced :\x01VERSION\x01\r\n2:"
              "PRIVMSG plain :\x01VERSION\x01\r\n2:");

    engine.Slot(0).SendQueueB.clear();
    engine.QueueCtcpRequest(0, "", {}, "TIME");  // no channel: no target
    EXPECT_EQ(engine.Slot(0).SendQueueB, "");

    engine.QueueCtcpRequest(0, "#c", {}, "PING");
    EXPECT_EQ(engine.Slot(0).SendQueueB, "PRIVMSG #c :\x01PING \r\n0:");
}

}  // namespace

}  // namespace velmok::session
