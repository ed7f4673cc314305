#include <gtest/gtest.h>

#include <algorithm>

#include "session/SessionFixture.h"
#include "ui/Attention.h"

namespace velmok::ui {
namespace {

TEST(Attention, OnlyLinesThatCallTheUserInTheBackgroundNotifyAndSayWhere) {
    AttentionLine line{false,
                       1,
                       false,
                       "srv",
                       "#a",
                       "<bob> velmo: \x02look\x02 \x03"
                       "4,12red\x03 \x83\x41"};
    const auto shown = NotificationFor(line);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->title, "#a (srv)");
    EXPECT_EQ(shown->body, "<bob> velmo: look red \x83\x41");

    line.windowActive = true;
    EXPECT_FALSE(NotificationFor(line)) << "the user is looking";
    line = {false, 0, false, "srv", "#a", "<bob> hi"};
    EXPECT_FALSE(NotificationFor(line)) << "nobody called";
    line = {false, 0, true, "srv", "", "<bob:n>hi"};
    ASSERT_TRUE(NotificationFor(line));
    EXPECT_EQ(NotificationFor(line)->title, "srv");

    // A long line is cut, never inside a double-byte character.
    std::string longText(kNotificationBodyLimit - 1, 'x');
    longText += "\x82\xa0tail";
    line.text = longText;
    const std::string body = NotificationFor(line)->body;
    EXPECT_EQ(body, std::string(kNotificationBodyLimit - 1, 'x') + "...");
}

class AttentionDispatchTest : public session::SessionFixture {};

TEST_F(AttentionDispatchTest, PrivateMessagesToTheOwnNickAreMarkedForAttention) {
    session::FakeClientSocket* socket = Register(0, "n");
    socket->Deliver(":n!u@h JOIN #a\r\n");
    ui.Clear();
    socket->Deliver(
        ":bob!u@h PRIVMSG #a :n: hi\r\n:srv NOTICE n :server notice\r\n:bob!u@h NOTICE n :notice\r\n"
        ":bob!u@h PRIVMSG n :secret\r\n");
    const int bob = engine.FindChannel(0, "bob");
    const auto at = std::find(ui.log.begin(), ui.log.end(), "AddressedToMe 0 " + std::to_string(bob));
    ASSERT_NE(at, ui.log.end());
    EXPECT_EQ(std::count_if(ui.log.begin(), ui.log.end(),
                            [](const std::string& entry) { return entry.rfind("AddressedToMe", 0) == 0; }),
              1);
    // Just before the line it is about.
    ASSERT_NE(at + 1, ui.log.end());
    EXPECT_EQ(*(at + 1), "RenderLine 0 " + std::to_string(bob) + " Private <bob> secret [kw]");
}

}  // namespace
}  // namespace velmok::ui
