#include <gtest/gtest.h>

#include <string>

#include "session/SessionFixture.h"

namespace velmok::session {

namespace {

class ProtectionTest : public SessionFixture {
protected:
    FakeClientSocket* socket = nullptr;

    void SetUp() override { socket = Register(0, "n"); }

    void PrivateFrom(const std::string& nick, const std::string& text = "hi") {
        socket->Deliver(":" + nick + "!u@h PRIVMSG n :" + text + "\r\n");
    }
    void CtcpFrom(const std::string& nick, const std::string& query) {
        socket->Deliver(":" + nick + "!u@h PRIVMSG n :\x01" + query + "\x01\r\n");
    }
};

TEST_F(ProtectionTest, TwoQuickPrivateMessagesSwitchItOnAndTheSecondGetsNoWindow) {
    settings.MaxReply = 1;
    settings.Interval = 1000;
    settings.DefencePriv = true;
    clock.tick = 100000;
    PrivateFrom("alice");
    EXPECT_FALSE(engine.IsOn());
    EXPECT_EQ(ui.built.size(), 1u);

    clock.Advance(300);
    PrivateFrom("bob");
    EXPECT_TRUE(engine.IsOn());
    EXPECT_TRUE(ui.protectionButton);
    EXPECT_EQ(ui.Count("SetProtectionButton on"), 1);
    EXPECT_EQ(ui.built.size(), 1u);  // no window for bob
    EXPECT_LT(engine.FindChannel(0, "bob"), 0);
    EXPECT_EQ(engine.Slot(0).SendQueueB, "");  // the switching event is not looked up
}

TEST_F(ProtectionTest, SwitchesAtTheEventCompletingMaxReplyShortGaps) {
    settings.MaxReply = 3;
    settings.Interval = 500;
    for (int i = 0; i < 3; ++i) {
        engine.CountEvent(0, "x");
        clock.Advance(499);
    }
    EXPECT_FALSE(engine.IsOn());
    EXPECT_EQ(engine.FloodCount, 2);
    engine.CountEvent(0, "x");
    EXPECT_TRUE(engine.IsOn());
    EXPECT_EQ(ui.beeps, std::vector<BeepKind>{BeepKind::Warning});

    // The counters stand still while it is on.
    const auto tick = engine.FloodTick;
    clock.Advance(10);
    engine.CountEvent(0, "x");
    EXPECT_EQ(engine.FloodTick, tick);
    EXPECT_EQ(engine.FloodCount, 3);
}

TEST_F(ProtectionTest, SlowEventsNeverSwitchItOn) {
    settings.MaxReply = 1;
    settings.Interval = 500;
    for (int i = 0; i < 20; ++i) {
        clock.Advance(600);
        CtcpFrom("bob", "VERSION");
        EXPECT_EQ(engine.FloodCount, 0);
    }
    EXPECT_FALSE(engine.IsOn());
    EXPECT_EQ(ui.Count("SetProtectionButton"), 0);
}

TEST_F(ProtectionTest, BurstAcrossTheTickWrapStillCounts) {
    settings.MaxReply = 3;
    settings.Interval = 500;
    clock.tick = 0xFFFFFF00u;  // 256 ms before the counter wraps
    for (int i = 0; i < 4; ++i) {
        engine.CountEvent(0, "x");
        clock.Advance(100);
    }
    EXPECT_TRUE(engine.IsOn());
    EXPECT_LT(engine.FloodTick, 1000u);  // the last event came after the wrap
}

TEST_F(ProtectionTest, EachNickIsLookedUpOncePerProtectionPeriod) {
    settings.DefenceWhois = true;
    engine.Toggle();
    EXPECT_TRUE(ui.protectionButton);
    CtcpFrom("bob", "VERSION");
    CtcpFrom("bob", "TIME");
    CtcpFrom("bob", "ACTION waves");
    CtcpFrom("carol", "PING 1");
    EXPECT_EQ(engine.Slot(0).SendQueueB, "WHOIS bob\r\n2:WHOIS carol\r\n2:");
    EXPECT_EQ(socket->TakeSent(), "");  // nothing answered
    EXPECT_EQ(ui.lines.back().text, "CTCP PING from carol(Ignore)");
    EXPECT_EQ(ui.TextsIn(0, ServerWindow)[2], "bob waves");  // ACTION still shown

    // Another slot keeps its own list.
    engine.CountEvent(1, "bob");
    EXPECT_EQ(engine.Slot(1).SendQueueB, "WHOIS bob\r\n2:");

    engine.Toggle();
    EXPECT_FALSE(engine.IsOn());
    EXPECT_FALSE(ui.protectionButton);
    EXPECT_EQ(engine.Slot(0).WhoisedNicks, "");
    EXPECT_EQ(engine.Slot(1).WhoisedNicks, "");

    engine.Slot(0).SendQueueB.clear();
    engine.Toggle();
    CtcpFrom("bob", "VERSION");
    EXPECT_EQ(engine.Slot(0).SendQueueB, "WHOIS bob\r\n2:");
}

TEST_F(ProtectionTest, NoLookUpWhenTheOptionIsOff) {
    settings.DefenceWhois = false;
    engine.Toggle();
    CtcpFrom("bob", "VERSION");
    EXPECT_EQ(engine.Slot(0).SendQueueB, "");
    EXPECT_EQ(engine.Slot(0).WhoisedNicks, "");
}

TEST_F(ProtectionTest, DccOfferUnderProtectionAsksNothing) {
    ui.yesNoAnswer = true;
    engine.Toggle();
    CtcpFrom("bob", "DCC SEND file.txt 3232235777 5000 1234");
    EXPECT_EQ(ui.lines.back().text, "CTCP DCC SEND from bob(Ignore)");
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(ui.fileOffers.empty());
}

TEST_F(ProtectionTest, TheQueryThatSwitchesItOnIsAlreadyIgnored) {
    settings.MaxReply = 2;
    settings.Interval = 1000;
    settings.DefenceWhois = true;
    for (int i = 0; i < 3; ++i) CtcpFrom("bob", "VERSION");
    EXPECT_TRUE(engine.IsOn());
    const std::string reply = "NOTICE bob :\x01VERSION velmok 2.2\x01\r\n";
    EXPECT_EQ(socket->TakeSent(), reply + reply);
    EXPECT_EQ(ui.TextsIn(0, ServerWindow),
              (std::vector<std::string>{"CTCP VERSION from bob", "CTCP VERSION from bob",
                                        "CTCP VERSION from bob(Ignore)"}));
    EXPECT_EQ(engine.Slot(0).SendQueueB, "");
    CtcpFrom("bob", "VERSION");
    EXPECT_EQ(engine.Slot(0).SendQueueB, "WHOIS bob\r\n2:");
}

}  // namespace

}  // namespace velmok::session
