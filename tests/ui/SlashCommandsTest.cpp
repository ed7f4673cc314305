#include <gtest/gtest.h>

#include "session/SessionFixture.h"
#include "ui/InputLine.h"

namespace velmok::ui {
namespace {

using session::FontKind;

class SlashCommandsTest : public session::SessionFixture {
protected:
    void Type(const std::string& text, int window) {
        ProcessInput(engine, 0, window, InputMode::Private, text, history);
    }
    // Everything queued goes out; returns the bytes on the wire.
    std::string Sent(session::FakeClientSocket* socket) {
        for (int i = 0; i < 40; ++i) engine.DrainSendQueues();
        return socket->TakeSent();
    }
    InputHistory history;
};

TEST_F(SlashCommandsTest, CommandsGoOutAsTheServerExpectsAndEveryOtherLineStaysRaw) {
    settings.PartMessage = "bye";
    session::FakeClientSocket* socket = Register(0, "me");
    socket->Deliver(":me!u@h JOIN :#a\r\n");
    const int a = engine.FindChannel(0, "#a");
    socket->Deliver(":srv 332 me #a :old topic\r\n");
    Sent(socket);
    ui.Clear();

    Type("/ME waves", a);
    Type("/msg bob hi there", a);  // no window for bob: echoed in the server window
    Type("/notice #a note", -1);   // the channel's own window
    Type("/j chan key", a);
    Type("/part", a);
    Type("/part #x gone now", a);
    Type("/topic new topic", a);
    Type("/nick other", a);
    Type("/away", a);
    Type("/whois bob", a);
    Type("/ctcp bob version", a);
    Type("/raw MODE #a +t", a);
    Type("/mode #a +n", a);  // not ours: raw, as typed
    EXPECT_EQ(Sent(socket),
              "PRIVMSG #a :\x01"
              "ACTION waves\x01\r\n"
              "PRIVMSG bob :hi there\r\n"
              "NOTICE #a :note\r\n"
              "JOIN #chan key\r\n"
              "PART #a :bye\r\n"
              "PART #x :gone now\r\n"
              "TOPIC #a :new topic\r\n"
              "NICK other\r\n"
              "AWAY\r\n"
              "WHOIS bob\r\n"
              "MODE #a +t\r\n"
              "mode #a +n\r\n"
              "PRIVMSG bob :\x01VERSION\x01\r\n");
    ASSERT_GE(ui.lines.size(), 3u);
    EXPECT_EQ(ui.lines[0].text, "me waves");
    EXPECT_EQ(ui.lines[0].font, FontKind::CTCP);
    EXPECT_EQ(ui.lines[1].window, session::ServerWindow);
    EXPECT_EQ(ui.lines[1].text, "<bob:me> hi there");
    EXPECT_EQ(ui.lines[2].window, a);
    EXPECT_EQ(ui.lines[2].font, FontKind::Notice);

    // /query opens the private window as the user's, and the text goes there.
    ui.Clear();
    Type("/query Bob hello", a);
    const int bob = engine.FindChannel(0, "Bob");
    ASSERT_GE(bob, 0);
    EXPECT_EQ(ui.activeWindow[0], bob);
    EXPECT_EQ(ui.lines.back().window, bob);
    EXPECT_EQ(Sent(socket), "PRIVMSG Bob :hello\r\n");
    Type("/query #a", bob);  // a channel is no nick: refused, nothing opens
    EXPECT_EQ(ui.lines.back().font, FontKind::Error);
    Type("/query bob", a);  // the open window comes forward
    EXPECT_EQ(ui.activeWindow[0], bob);

    // Shown locally; refused where they make no sense.
    ui.Clear();
    Type("/topic", a);
    EXPECT_EQ(ui.lines.back().text, "TOPIC old topic");
    Type("/me x", -1);
    EXPECT_EQ(ui.lines.back().font, FontKind::Error);
    Type("/msg bob", a);
    EXPECT_EQ(ui.lines.back().text, "msg Not enough parameters");
    Type("/clear", a);
    EXPECT_EQ(ui.log.back(), "ClearWindow 0 " + std::to_string(a));
    const std::size_t before = ui.lines.size();
    Type("/HELP", a);
    EXPECT_GT(ui.lines.size(), before + 10);
    EXPECT_EQ(Sent(socket), "");

    Type("/quit see you", a);
    EXPECT_EQ(socket->TakeSent(), "QUIT :see you\r\n");
}

}  // namespace
}  // namespace velmok::ui
