#include <gtest/gtest.h>

#include "session/SessionFixture.h"
#include "ui/Actions.h"

namespace velmok::ui {
namespace {

class ActionsTest : public session::SessionFixture {};

TEST_F(ActionsTest, CommandMenuFollowsRegistrationAndChannels) {
    session::FakeClientSocket* socket = Connect(0, "me");
    CommandMenuState before = CommandMenuFor(engine, 0);
    EXPECT_FALSE(before.join || before.nick || before.away || before.list || before.part);
    socket->Deliver(":srv 001 me :hi\r\n");
    CommandMenuState after = CommandMenuFor(engine, 0);
    EXPECT_TRUE(after.join && after.nick && after.away && after.list);
    EXPECT_FALSE(after.part);
    socket->Deliver(":me!u@h JOIN :#a\r\n");
    EXPECT_TRUE(CommandMenuFor(engine, 0).part);
}

TEST_F(ActionsTest, AwayWhileAwayQueuesAwayWithoutAQuestion) {
    session::FakeClientSocket* socket = Register(0, "me");
    EXPECT_FALSE(AwayWithoutQuestion(engine, 0));
    socket->Deliver(":srv 306 me :You have been marked as being away\r\n");
    EXPECT_TRUE(AwayWithoutQuestion(engine, 0));
    EXPECT_EQ(engine.Slot(0).SendQueueA, "AWAY\r\n2:");
}

TEST_F(ActionsTest, JoinOffersTheAutoJoinChannels) {
    Register(0, "me");
    engine.Session(0).AutoJoin = "1 #a  0 #b k ";
    session::InputBoxRequest r = JoinRequest(engine, 0);
    EXPECT_EQ(r.Kind, 1);
    EXPECT_EQ(r.EmptyMessage, 10);
    EXPECT_EQ(r.ComboItems, (std::vector<std::string>{"#a", "#b"}));
    EXPECT_TRUE(r.Edit2Visible);
}

TEST_F(ActionsTest, PartListsChannelWindowsWithTheirWireNames) {
    session::FakeClientSocket* socket = Register(0, "me");
    socket->Deliver(":me!u@h JOIN :#a\r\n");
    socket->Deliver(":bob!u@h PRIVMSG me :hi\r\n");  // a private window is no channel
    socket->Deliver(":me!u@h JOIN :#\x1b$B$\"\x1b(B\r\n");
    session::InputBoxRequest r = PartRequest(engine, 0);
    ASSERT_EQ(r.ComboItems.size(), 2u);
    EXPECT_EQ(r.ComboItems[0], "#a");
    EXPECT_EQ(r.ComboItems[1], "#\x82\xa0");
    EXPECT_EQ(r.AuxText, "#a\r\n#\x1b$B$\"\x1b(B\r\n");
}

TEST_F(ActionsTest, AwayBoxIsPresetWithTheAwayMessage) {
    settings.AwayMessage = "lunch";
    session::InputBoxRequest r = AwayRequest(engine, 0);
    EXPECT_EQ(r.Edit1Text, "lunch");
    EXPECT_EQ(r.Kind, 4);
    EXPECT_EQ(r.EmptyMessage, -1);
    QueueList(engine, 0);
    EXPECT_EQ(engine.Slot(0).SendQueueA, "LIST\r\n2:");
}

}  // namespace
}  // namespace velmok::ui
