#include <gtest/gtest.h>

#include "session/Engine.h"
#include "support/FakeClock.h"
#include "support/FakeSocket.h"
#include "support/RecordingFrontend.h"
#include "ui/InputLine.h"

namespace velmok::ui {
namespace {

using session::BeepKind;
using session::FontKind;

class InputLineTest : public ::testing::Test {
protected:
    InputLineTest() : engine(ui, clock, sockets, settings) {
        engine.Session(0).Nick = "me";
        Open(0, "#a", true);
    }
    void Open(int window, const std::string& name, bool channel) {
        engine.Channel(0, window).Name = name;
        engine.Channel(0, window).IsChannel = channel;
    }
    void Type(const std::string& text, int window = 0, InputMode mode = InputMode::Private) {
        ProcessInput(engine, 0, window, mode, text, history);
    }
    std::string& QueueA() { return engine.Slot(0).SendQueueA; }

    session::RecordingFrontend ui;
    session::FakeClock clock;
    session::FakeSocketFactory sockets;
    config::Settings settings;
    session::Engine engine;
    InputHistory history;
};

TEST_F(InputLineTest, MessagesByMode) {
    Type("hello");
    EXPECT_EQ(QueueA(), "PRIVMSG #a :hello\r\n2:");
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0].window, 0);
    EXPECT_EQ(ui.lines[0].font, FontKind::Private);
    EXPECT_EQ(ui.lines[0].text, "<me> hello");
    EXPECT_FALSE(ui.lines[0].markKeywords);

    QueueA().clear();
    Type("hi", 0, InputMode::Notice);
    EXPECT_EQ(QueueA(), "NOTICE #a :hi\r\n2:");
    EXPECT_EQ(ui.lines.back().font, FontKind::Notice);
    EXPECT_EQ(ui.lines.back().text, "<me> hi");

    QueueA().clear();
    Type("waves", 0, InputMode::Action);
    EXPECT_EQ(QueueA(),
              "PRIVMSG #a :\x01"
              "ACTION waves\x01\r\n2:");
    EXPECT_EQ(ui.lines.back().font, FontKind::CTCP);
    EXPECT_EQ(ui.lines.back().text, "me waves");
}

TEST_F(InputLineTest, JapaneseIsWidenedForDisplayAndJisOnTheWire) {
    Type("\xb1");  // half-width ア
    EXPECT_EQ(ui.lines.back().text, "<me> \x83\x41");
    EXPECT_EQ(QueueA(), "PRIVMSG #a :\x1b$B%\"\x1b(B\r\n2:");
}

TEST_F(InputLineTest, RawCommands) {
    Type("JOIN #b", -1, InputMode::Action);
    EXPECT_EQ(QueueA(), "JOIN #b\r\n2:");
    Type("/mode #a +t");
    EXPECT_EQ(QueueA(), "JOIN #b\r\n2:mode #a +t\r\n2:");
    EXPECT_TRUE(ui.lines.empty());

    QueueA().clear();
    Type("//x");
    EXPECT_EQ(QueueA(), "PRIVMSG #a :/x\r\n2:");
    QueueA().clear();
    Type("/");
    EXPECT_EQ(QueueA(), "");
    EXPECT_EQ(history.Lines().size(), 4u);
}

TEST_F(InputLineTest, GlobalMessage) {
    Open(3, "bob", false);
    Open(5, "#c", true);
    for (const char* typed : {"/G", "/G "}) {
        ui.Clear();
        Type(typed);
        ASSERT_EQ(ui.lines.size(), 1u) << typed;
        EXPECT_EQ(ui.lines[0].window, -1);
        EXPECT_EQ(ui.lines[0].font, FontKind::Error);
        EXPECT_EQ(ui.lines[0].text, "G Not enough parameters");
        EXPECT_EQ(ui.beeps, std::vector<BeepKind>{BeepKind::Warning});
    }
    Type("/g");
    EXPECT_EQ(ui.lines.back().text, "g Not enough parameters");
    EXPECT_EQ(QueueA(), "");

    ui.Clear();
    Type("/G hi|x02", 7, InputMode::Notice);
    EXPECT_EQ(QueueA(), "NOTICE #a :hi|x02\r\n2:NOTICE #c :hi|x02\r\n2:");
    ASSERT_EQ(ui.lines.size(), 2u);
    EXPECT_EQ(ui.lines[0].window, 0);
    EXPECT_EQ(ui.lines[1].window, 5);
    EXPECT_EQ(ui.lines[1].font, FontKind::Notice);

    // In Action mode the global echo still names the sender in brackets, in
    // the CTCP font, while the wire carries the ACTION.
    QueueA().clear();
    ui.Clear();
    Type("/G waves", 0, InputMode::Action);
    EXPECT_EQ(QueueA(),
              "PRIVMSG #a :\x01"
              "ACTION waves\x01\r\n2:PRIVMSG #c :\x01"
              "ACTION waves\x01\r\n2:");
    ASSERT_EQ(ui.lines.size(), 2u);
    EXPECT_EQ(ui.lines[0].text, "<me> waves");
    EXPECT_EQ(ui.lines[1].font, FontKind::CTCP);

    QueueA().clear();
    Type("/Gx");  // another command word: raw
    EXPECT_EQ(QueueA(), "Gx\r\n2:");
}

TEST_F(InputLineTest, EscapesAreExpandedBeforeSending) {
    Type("|x02bold|x02");
    EXPECT_EQ(QueueA(),
              "PRIVMSG #a :\x02"
              "bold\x02\r\n2:");
    QueueA().clear();
    Type("/privmsg #a :|x0a");
    EXPECT_EQ(QueueA(), "privmsg #a :|x0a\r\n2:");
}

TEST(ExpandEscapes, Rules) {
    EXPECT_EQ(ExpandEscapes("|x02bold|x02"),
              "\x02"
              "bold\x02");
    EXPECT_EQ(ExpandEscapes("a||b"), "a|b");
    EXPECT_EQ(ExpandEscapes("|||x41"), "|A");
    EXPECT_EQ(ExpandEscapes("|x0a|x0D|x00"), "|x0a|x0D|x00");
    EXPECT_EQ(ExpandEscapes("|x4"), "|x4");
    EXPECT_EQ(ExpandEscapes("|xg1|x4|x41"), "|xg1|x4A");
    EXPECT_EQ(ExpandEscapes("|y|"), "|y|");
    EXPECT_EQ(ExpandEscapes("|x7c|x41"), "|A");  // the produced "|" is not read again
    // ― (0x81 0x7C) ends in a "|" byte; it is one character, not an escape.
    EXPECT_EQ(ExpandEscapes("\x81|x41"), "\x81|x41");
}

TEST(InputHistory, KeepsTwentyAndRecalls) {
    InputHistory h;
    EXPECT_FALSE(h.Up().has_value());
    for (int i = 1; i <= 21; ++i) h.Add("line" + std::to_string(i));
    ASSERT_EQ(h.Lines().size(), 20u);
    EXPECT_EQ(h.Lines().front(), "line2");
    EXPECT_EQ(h.Position(), 20u);
    EXPECT_FALSE(h.Down().has_value());
    EXPECT_EQ(h.Up(), "line21");
    EXPECT_EQ(h.Up(), "line20");
    EXPECT_EQ(h.Down(), "line21");
    EXPECT_EQ(h.Down(), "");
    for (int i = 0; i < 20; ++i) h.Up();
    EXPECT_EQ(h.Position(), 0u);
    EXPECT_FALSE(h.Up().has_value());
}

TEST(SplitInput, PastedBlocks) {
    InputChange c = SplitInput("a\r\n\r\nb\r\nc");
    EXPECT_EQ(c.lines, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(c.remainder, "c");
    EXPECT_TRUE(c.replace);

    c = SplitInput("a\nb\n");
    EXPECT_EQ(c.lines, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(c.remainder, "");

    c = SplitInput("\r\n");
    EXPECT_TRUE(c.lines.empty());
    EXPECT_TRUE(c.replace);
    EXPECT_EQ(c.remainder, "");

    c = SplitInput("typing");
    EXPECT_FALSE(c.replace);
    EXPECT_EQ(c.remainder, "typing");
}

TEST_F(InputLineTest, PastedLinesAreSentInOrder) {
    InputChange c = SplitInput("a\r\n\r\nb\r\nc");
    for (const std::string& line : c.lines) Type(line);
    EXPECT_EQ(QueueA(), "PRIVMSG #a :a\r\n2:PRIVMSG #a :b\r\n2:");
    // A line break that reaches ProcessInput never gets into the queue.
    QueueA().clear();
    Type("x\ry");
    EXPECT_EQ(QueueA(), "PRIVMSG #a :x\r\n2:PRIVMSG #a :y\r\n2:");
}

}  // namespace
}  // namespace velmok::ui
