#include <gtest/gtest.h>

#include "session/Codec.h"
#include "session/Engine.h"
#include "support/FakeClock.h"
#include "support/FakeSocket.h"
#include "support/RecordingFrontend.h"
#include "ui/EventTriggers.h"

namespace velmok::ui {
namespace {

TEST(MatchPatternTest, Table) {
    struct Case {
        const char* value;
        const char* pattern;
        bool match;
    };
    const Case cases[] = {
        {"", "", true},
        {"", "*", false},
        {"", "a", false},
        {"x", "", true},        // an empty pattern matches any value ...
        {"xabc", "abc", true},  // ... and without "*" the value only has to end with it
        {"abcx", "abc", false},
        {"abc", "a*", true},
        {"xa", "a*", false},
        {"a", "a*", true},
        {"anything", "*", true},
        {"bob!u@host", "*!*@host", true},
        {"bob!u@other", "*!*@host", false},
        {"abXcd", "ab*cd", true},
        {"abcd", "ab*cd", true},
        {"xabcd", "ab*cd", false},
        {"Abc", "abc", false},  // case-sensitive
        {"aXbYc", "*b*", true},
        {"ac", "a*b*", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchPattern(c.value, c.pattern), c.match) << "'" << c.value << "' ~ '" << c.pattern << "'";
}

TEST(ReplaceAllTest, InsertedTextIsNotScannedAgain) {
    EXPECT_EQ(ReplaceAll("a%1b%1", "%1", "%1%1"), "a%1%1b%1%1");
    EXPECT_EQ(ReplaceAll("xx", "x", "xx"), "xxxx");
    EXPECT_EQ(ReplaceAll("none", "%m", "me"), "none");
    EXPECT_EQ(ReplaceAll("keep", "", "v"), "keep");
}

}  // namespace
}  // namespace velmok::ui

namespace velmok::session {
namespace {

const std::string kHello = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd";  // こんにちは

class EventTriggersTest : public ::testing::Test {
protected:
    RecordingFrontend ui;
    FakeClock clock;
    FakeSocketFactory sockets;
    config::Settings settings;
    Engine engine{ui, clock, sockets, settings};

    void SetUp() override { engine.Session(0).Nick = "me"; }

    config::EventTrigger& Add(const std::string& name, const std::string& trigger,
                              const std::string& command) {
        config::EventTrigger t;
        t.Name = name;
        t.Trigger = trigger;
        t.Command = command;
        settings.Events.push_back(t);
        return settings.Events.back();
    }
    void Receive(const std::string& line) {
        auto m = ParseLine(line, "irc.example");
        ASSERT_TRUE(m.has_value());
        engine.RunEventTriggers(0, m->FullPrefix, *m);
    }
    const std::string& QueueA() { return engine.Slot(0).SendQueueA; }
};

TEST_F(EventTriggersTest, JoinWelcomeEndToEnd) {
    Add("welcome", "join", "PRIVMSG %1 :welcome %n").Prefix = "*!*@host";
    Receive(":bob!u@host JOIN #a");
    EXPECT_EQ(QueueA(), "PRIVMSG #a :welcome bob\r\n2:");
    Receive(":eve!u@elsewhere JOIN #a");
    EXPECT_EQ(QueueA(), "PRIVMSG #a :welcome bob\r\n2:");
}

TEST_F(EventTriggersTest, ExactTraceOfOneEvaluation) {
    auto& t = Add("greet", "PRIVMSG", "NOTICE %n :hi %m");
    t.Prefix = "%n!*";
    t.Param1 = "#a";
    t.Param2 = "*x*";
    Receive(":bob!u@h PRIVMSG #a :" + SjisToJis(kHello));
    const std::vector<std::string> expected = {
        "\x8e\xf3\x90M\x83R\x83}\x83\x93\x83h: PRIVMSG",                       // 受信コマンド:
        "\x8e\xf3\x90M\x83v\x83\x8c\x83t\x83\x42\x83\x62\x83N\x83X: bob!u@h",  // 受信プレフィックス:
        "\x8e\xf3\x90M\x83p\x83\x89\x83\x81\x81[\x83^1\x81\x46#a",             // 受信パラメータ1：
        "\x8e\xf3\x90M\x83p\x83\x89\x83\x81\x81[\x83^2\x81\x46" + kHello,      // 受信パラメータ2：
        "\x83\x43\x83x\x83\x93\x83g:greet",                                    // イベント:
        "\x83g\x83\x8a\x83K\x81[\x8f\xf0\x8c\x8f\x88\xea\x92v\x81\x46PRIVMSG",  // トリガー条件一致：
        "\x83v\x83\x8c\x83t\x83\x42\x83\x62\x83N\x83X\x8f\xf0\x8c\x8f\x88\xea\x92v\x81\x46"
        "bob!*",  // プレフィックス条件一致：
        "\x83p\x83\x89\x83\x81\x81[\x83^1\x8f\xf0\x8c\x8f\x88\xea\x92v\x81\x46#a",  // パラメータ1条件一致：
        "\x83p\x83\x89\x83\x81\x81[\x83^2\x8f\xf0\x8c\x8f\x95s\x88\xea\x92v\x81\x46*x*",  // パラメータ2条件不一致：
        "\x83p\x83\x89\x83\x81\x81[\x83^3\x8f\xf0\x8c\x8f\x88\xea\x92v\x81\x46",  // パラメータ3条件一致：
        "\x83p\x83\x89\x83\x81\x81[\x83^4\x8f\xf0\x8c\x8f\x88\xea\x92v\x81\x46",  // パラメータ4条件一致：
        "",
    };
    EXPECT_EQ(ui.eventLog, expected);
    EXPECT_EQ(QueueA(), "");

    // Once everything holds, the command is traced in Shift-JIS.
    ui.eventLog.clear();
    t.Param2 = "*" + kHello;
    Receive(":bob!u@h PRIVMSG #a :" + SjisToJis(kHello));
    ASSERT_EQ(ui.eventLog.size(), 13u);
    EXPECT_EQ(ui.eventLog[11],
              "\x83R\x83}\x83\x93\x83h\x94\xad\x8ds\x81\x46NOTICE bob :hi me");  // コマンド発行：
    EXPECT_EQ(QueueA(), "NOTICE bob :hi me\r\n2:");
}

TEST_F(EventTriggersTest, NumericRepliesNeverFireAndLeaveNoTrace) {
    Add("n", "001", "PRIVMSG x :y");
    Receive(":irc.example 001 me :Welcome");
    EXPECT_TRUE(ui.eventLog.empty());
    EXPECT_EQ(QueueA(), "");
}

TEST_F(EventTriggersTest, MessagesWithoutAMatchingTriggerAreTracedOnly) {
    Add("j", "JOIN", "PRIVMSG %1 :hi");
    Receive(":bob!u@h PART #a");
    EXPECT_EQ(ui.eventLog.size(), 4u);  // command, prefix, one parameter, blank line
    EXPECT_EQ(QueueA(), "");
}

TEST_F(EventTriggersTest, WithNobodyReadingTheTraceTriggersStillFire) {
    Add("j", "join", "PRIVMSG %1 :hi");
    ui.eventLogWanted = false;
    Receive(":bob!u@h PART #a");
    EXPECT_TRUE(ui.eventLog.empty());
    Receive(":bob!u@h JOIN #a");
    EXPECT_EQ(QueueA(), "PRIVMSG #a :hi\r\n2:");
}

TEST_F(EventTriggersTest, ExcludeOwnSkipsTheOwnEcho) {
    Add("j", "JOIN", "PRIVMSG %1 :hello %n").ExcludeOwn = true;
    Receive(":me!u@h JOIN #a");
    EXPECT_EQ(QueueA(), "");
    ASSERT_GE(ui.eventLog.size(), 2u);
    // 自分発行コマンドのためイベント対象にはなりません。
    EXPECT_EQ(
        ui.eventLog[ui.eventLog.size() - 2],
        "\x8e\xa9\x95\xaa\x94\xad\x8ds\x83R\x83}\x83\x93\x83h\x82\xcc\x82\xbd\x82\xdf\x83\x43\x83x\x83\x93"
        "\x83g\x91\xce\x8f\xdb\x82\xc9\x82\xcd\x82\xc8\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x42");
    Receive(":bob!u@h JOIN #a");
    EXPECT_EQ(QueueA(), "PRIVMSG #a :hello bob\r\n2:");
}

TEST_F(EventTriggersTest, ParametersAreInsertedOnceAndTenReadsAsOneAndZero) {
    Add("echo", "FOO", "X %1 %2 %10");
    Receive(":bob!u@h FOO %1z :%m");
    EXPECT_EQ(QueueA(), "X %1z %m %1z0\r\n2:");
}

TEST_F(EventTriggersTest, JapaneseParametersAreMatchedAndSentInWireForm) {
    Add("jp", "PRIVMSG", "PRIVMSG %1 :%2!").Param2 = kHello + "*";
    Receive(":bob!u@h PRIVMSG #a :" + SjisToJis(kHello + " x"));
    EXPECT_EQ(QueueA(), "PRIVMSG #a :" + SjisToJis(kHello + " x!") + "\r\n2:");
}

TEST_F(EventTriggersTest, TwoTriggersQueueInListOrderBehindWaitingLines) {
    engine.Slot(0).SendQueueA = "PRIVMSG #x :earlier\r\n2:";
    Add("first", "JOIN", "PRIVMSG %1 :one");
    Add("other", "PART", "PRIVMSG %1 :never");
    Add("second", "Join", "PRIVMSG %1 :two");
    Receive(":bob!u@h JOIN #a");
    EXPECT_EQ(QueueA(), "PRIVMSG #x :earlier\r\n2:PRIVMSG #a :one\r\n2:PRIVMSG #a :two\r\n2:");
}

TEST_F(EventTriggersTest, EmptyParameterFailsANonEmptyPatternAndEmptyCommandSendsALineEnd) {
    Add("p3", "JOIN", "").Param3 = "x";
    Receive(":bob!u@h JOIN #a");
    EXPECT_EQ(QueueA(), "");
    Add("empty", "JOIN", "");
    Receive(":bob!u@h JOIN #a");
    EXPECT_EQ(QueueA(), "\r\n2:");
}

TEST_F(EventTriggersTest, ALoneCarriageReturnCannotSmuggleASecondCommand) {
    Add("echo", "PRIVMSG", "PRIVMSG %1 :%2");
    Receive(":bob!u@h PRIVMSG #a :hi\rQUIT :bye");
    EXPECT_EQ(QueueA(), "PRIVMSG #a :hiQUIT :bye\r\n2:");
}

}  // namespace
}  // namespace velmok::session
