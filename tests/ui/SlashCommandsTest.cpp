#include <gtest/gtest.h>

#include "session/SessionFixture.h"
#include "ui/InputLine.h"

namespace velmok::ui {
namespace {

class SlashCommandsTest : public session::SessionFixture {
protected:
    void Type(const std::string& text, int window) {
        ProcessInput(engine, 0, window, InputMode::Private, text, history);
    }
    std::string Sent(session::FakeClientSocket* socket) {
        for (int i = 0; i < 40; ++i) engine.DrainSendQueues();
        return socket->TakeSent();
    }
    std::string Last() const { return ui.lines.empty() ? "" : ui.lines.back().text; }
    InputHistory history;
};

TEST_F(SlashCommandsTest, CommandsGoOutAsTheServerExpectsAndEveryOtherLineStaysRaw) {
    settings.PartMessage = "bye";
    session::FakeClientSocket* socket = Register(0, "me");
    socket->Deliver(":me!u@h JOIN :#a\r\n:srv 332 me #a :old topic\r\n");
    const int a = engine.FindChannel(0, "#a");
    Sent(socket);
    ui.Clear();
    for (const char* typed :
         {"/ME waves", "/msg bob hi there", "/j chan key", "/part", "/part #x gone now", "/topic new topic",
          "/nick other", "/away", "/whois bob", "/ctcp bob version", "/raw MODE #a +t", "/mode #a +n"})
        Type(typed, a);
    Type("/notice #a note", -1);  // echoed in the channel's own window
    EXPECT_EQ(Sent(socket),
              "PRIVMSG #a :\x01"
              "ACTION waves\x01\r\nPRIVMSG bob :hi there\r\nJOIN #chan key\r\nPART #a :bye\r\n"
              "PART #x :gone now\r\nTOPIC #a :new topic\r\nNICK other\r\nAWAY\r\nWHOIS bob\r\nMODE #a +t\r\n"
              "mode #a +n\r\nNOTICE #a :note\r\nPRIVMSG bob :\x01VERSION\x01\r\n");
    ASSERT_GE(ui.lines.size(), 3u);
    EXPECT_EQ(ui.lines[0].text, "me waves");
    EXPECT_EQ(ui.lines[0].font, session::FontKind::CTCP);
    EXPECT_EQ(ui.lines[1].window, session::ServerWindow) << "no window for bob";
    EXPECT_EQ(ui.lines[1].text, "<bob:me> hi there");
    EXPECT_EQ(ui.lines.back().window, a);
    EXPECT_EQ(ui.lines.back().font, session::FontKind::Notice);

    // /query opens the private window as the user's, and the text goes there.
    Type("/query Bob hello", a);
    const int bob = engine.FindChannel(0, "Bob");
    ASSERT_GE(bob, 0);
    EXPECT_EQ(ui.activeWindow[0], bob);
    EXPECT_EQ(ui.lines.back().window, bob);
    EXPECT_EQ(Sent(socket), "PRIVMSG Bob :hello\r\n");
    Type("/query #a", bob);
    EXPECT_EQ(ui.lines.back().font, session::FontKind::Error) << "a channel is no nick";
    ui.activeWindow[0] = a;
    Type("/query bob", a);
    EXPECT_EQ(ui.activeWindow[0], bob) << "the open window comes forward";

    // Shown here, or refused where they make no sense; nothing sent.
    Type("/topic", a);
    EXPECT_EQ(Last(), "TOPIC old topic");
    Type("/me x", -1);
    EXPECT_EQ(ui.lines.back().font, session::FontKind::Error);
    Type("/msg bob", a);
    EXPECT_EQ(Last(), "msg Not enough parameters");
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
