#include <gtest/gtest.h>

#include "session/Codec.h"
#include "session/IrcMessage.h"
#include "session/SessionFixture.h"
#include "session/Transport.h"

namespace velmok::session {

TEST(NumericAddress, OnlyFourDecimalPartsUpTo255) {
    EXPECT_TRUE(IsNumericAddress("192.168.1.20"));
    EXPECT_TRUE(IsNumericAddress("0.0.0.0"));
    EXPECT_TRUE(IsNumericAddress("255.255.255.255"));
    EXPECT_FALSE(IsNumericAddress("300.1.1.1"));
    EXPECT_FALSE(IsNumericAddress("1.2.3"));
    EXPECT_FALSE(IsNumericAddress("1.2.3.4.5"));
    EXPECT_FALSE(IsNumericAddress("1..2.3"));
    EXPECT_FALSE(IsNumericAddress("1.2.3.4."));
    EXPECT_FALSE(IsNumericAddress("-1.2.3.4"));
    EXPECT_FALSE(IsNumericAddress("irc.example"));
    EXPECT_FALSE(IsNumericAddress("1.2.3.0004"));
    EXPECT_FALSE(IsNumericAddress(""));
}

using EngineTest = SessionFixture;

TEST_F(EngineTest, NumericAddressConnectsWithoutLookup) {
    engine.Session(0).ServerName = "192.168.1.20";
    engine.Session(0).Port = 6668;
    ASSERT_TRUE(engine.ConnectSession(0));
    EXPECT_EQ(sockets.Last()->calls,
              (std::vector<std::string>{"SetHost ", "SetAddress 192.168.1.20", "SetPort 6668", "Open"}));
    EXPECT_TRUE(sockets.lookups.empty());
    EXPECT_TRUE(engine.Session(0).InUse);
    EXPECT_EQ(engine.FirstFreeSlot(), 1);
}

TEST_F(EngineTest, HostNameIsLookedUpFirst) {
    sockets.resolvable = {"irc.example"};
    engine.Session(0).ServerName = "irc.example";
    ASSERT_TRUE(engine.ConnectSession(0));
    EXPECT_EQ(sockets.lookups, std::vector<std::string>{"irc.example"});
    EXPECT_EQ(sockets.Last()->host, "irc.example");
    EXPECT_EQ(sockets.Last()->address, "");
    EXPECT_EQ(sockets.Last()->openCount, 1);
}

TEST_F(EngineTest, UnresolvableNameShowsError4AndLeavesSlotFree) {
    for (const char* name : {"300.1.1.1", "1.2.3"}) {
        ui.Clear();
        engine.Session(1).ServerName = name;
        EXPECT_FALSE(engine.ConnectSession(1));
        EXPECT_EQ(sockets.lookups.back(), name);
        EXPECT_EQ(ui.errors, std::vector<int>{4});
        EXPECT_TRUE(ui.Enabled(Action::FileConnect));
        EXPECT_FALSE(engine.Session(1).InUse);
        EXPECT_FALSE(sockets.IsAlive(sockets.Last()));  // dropped without being opened
    }
    EXPECT_FALSE(engine.AnyInUse());
}

TEST_F(EngineTest, RegistrationWithoutPasswordIsNickThenUser) {
    engine.Session(0).ServerName = "127.0.0.1";
    engine.Session(0).Nick = "n";
    engine.Session(0).UserName = "u";
    engine.Session(0).RealName = "r";
    engine.Slot(0).SendQueueA = "JOIN #old\r\n2:";
    engine.Slot(0).SavedNick = "old";
    ASSERT_TRUE(engine.ConnectSession(0));
    FakeClientSocket* socket = sockets.Last();
    socket->localAddress = "127.0.0.5";
    socket->localHost = "box";
    clock.now = FakeClock::MakeTime(2024, 5, 6, 7, 8, 9);
    socket->FireConnect();

    EXPECT_EQ(socket->sent, "CAP LS 302\r\nNICK n\r\nUSER u 0 * :r\r\n");
    EXPECT_EQ(engine.Slot(0).SendQueueA, "");
    EXPECT_EQ(engine.Slot(0).SavedNick, "");
    EXPECT_EQ(engine.LocalAddress, "127.0.0.5");
    EXPECT_EQ(engine.LocalHost, "box");
    EXPECT_EQ(engine.PingStamp, "0809");
    EXPECT_TRUE(ui.inputEnabled);
    // Commands typed while registration runs must leave, not wait for "001".
    EXPECT_EQ(ui.Count("SetSendTimer on"), 1);
    ASSERT_EQ(ui.connected.size(), 1u);
    EXPECT_EQ(ui.connected[0].second, "127.0.0.1");  // no reverse name: kept
}

TEST_F(EngineTest, RegistrationWithPasswordConvertsPasswordAndRealName) {
    const std::string realName = "\x93\xfa\x96\x7b";  // "日本" in Shift-JIS
    engine.Session(0).ServerName = "127.0.0.1";
    engine.Session(0).Password = "secret";
    engine.Session(0).Nick = "n";
    engine.Session(0).UserName = "u";
    engine.Session(0).RealName = realName;
    ASSERT_TRUE(engine.ConnectSession(0));
    sockets.Last()->remoteHost = "irc.local";
    sockets.Last()->FireConnect();
    EXPECT_EQ(sockets.Last()->sent,
              "CAP LS 302\r\nPASS secret\r\nNICK n\r\nUSER u 0 * :" + SjisToJis(realName) + "\r\n");
    EXPECT_EQ(engine.Session(0).ServerName, "irc.local");
    EXPECT_EQ(ui.connected[0].second, "irc.local");
}

TEST_F(EngineTest, QueueALinesLeaveTwoSecondsApartAndStarveQueueB) {
    FakeClientSocket* socket = Register(0);
    for (const char* line : {"PRIVMSG #a :1", "PRIVMSG #a :2", "PRIVMSG #a :3"})
        engine.EnqueueLine(Queue::A, 0, line, 2);
    EXPECT_EQ(engine.Slot(0).SendQueueA, "PRIVMSG #a :1\r\n2:PRIVMSG #a :2\r\n2:PRIVMSG #a :3\r\n2:");

    EXPECT_EQ(engine.DrainSendQueues(), 2000);
    EXPECT_EQ(socket->TakeSent(), "PRIVMSG #a :1\r\n");
    engine.EnqueueLine(Queue::B, 0, "WHOIS x x", 2);
    EXPECT_EQ(engine.DrainSendQueues(), 2000);
    EXPECT_EQ(socket->TakeSent(), "PRIVMSG #a :2\r\n");
    EXPECT_EQ(engine.DrainSendQueues(), 2000);
    EXPECT_EQ(socket->TakeSent(), "PRIVMSG #a :3\r\n");
    EXPECT_EQ(engine.DrainSendQueues(), 2000);
    EXPECT_EQ(socket->TakeSent(), "WHOIS x x\r\n");
    EXPECT_EQ(engine.DrainSendQueues(), 1000);  // nothing left: back to the base interval
    EXPECT_EQ(socket->TakeSent(), "");
}

TEST_F(EngineTest, OneTickServesEverySlotAndTheLongestDelayWins) {
    FakeClientSocket* a = Register(0, "a");
    FakeClientSocket* b = Register(1, "b");
    engine.Slot(0).SendQueueC = "MODE #c +o x\r\n4:";
    engine.Slot(1).SendQueueA = "JOIN #d \r\n2:";
    EXPECT_EQ(engine.DrainSendQueues(), 4000);
    EXPECT_EQ(a->sent, "MODE #c +o x\r\n");
    EXPECT_EQ(b->sent, "JOIN #d \r\n");
}

TEST_F(EngineTest, PingEntryIsCompletedWhenItLeaves) {
    FakeClientSocket* socket = Register(0);
    engine.PingStamp = "3456";
    engine.Slot(0).SendQueueB = "PRIVMSG bob :\x01PING \r\n0:";
    clock.tick = 123456;
    EXPECT_EQ(engine.DrainSendQueues(), 2000);
    EXPECT_EQ(socket->TakeSent(), "PRIVMSG bob :\x01PING 34561234563456\x01\r\n");

    // The tick is written as a signed 32-bit number.
    engine.Slot(0).SendQueueB = "PRIVMSG bob :\x01PING \r\n0:";
    clock.tick = 0xFFFFFFFFu;
    engine.DrainSendQueues();
    EXPECT_EQ(socket->TakeSent(), "PRIVMSG bob :\x01PING 3456-13456\x01\r\n");
}

TEST_F(EngineTest, DamagedQueueEntriesStillDrain) {
    FakeClientSocket* socket = Register(0);
    // A delay above the clamp waits the clamp; the clamp itself is kept.
    engine.Slot(0).SendQueueA = "Q\r\n3601:R\r\n3600:";
    EXPECT_EQ(engine.DrainSendQueues(), 3600000);
    EXPECT_EQ(engine.DrainSendQueues(), 3600000);
    socket->TakeSent();
    engine.Slot(0).SendQueueA = "A\r\nx:B\r\n99999999999:C";
    EXPECT_EQ(engine.DrainSendQueues(), 1000);
    EXPECT_EQ(engine.DrainSendQueues(), 1000);
    EXPECT_EQ(engine.DrainSendQueues(), 1000);
    EXPECT_EQ(socket->sent, "A\r\nB\r\nC\r\n");
    EXPECT_EQ(engine.Slot(0).SendQueueA, "");
}

TEST_F(EngineTest, HalfALineWaitsForTheNextRead) {
    FakeClientSocket* socket = Register(0);
    clock.tick = 777;
    socket->Deliver(":srv 404 n #c :Can");
    EXPECT_EQ(engine.LastReceiveTick, 777u);
    EXPECT_TRUE(ui.lines.empty());
    EXPECT_EQ(engine.Slot(0).ReceiveBuffer, ":srv 404 n #c :Can");
    socket->Deliver("not send\r\n");
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0].text, "404 #c Cannot send");
    EXPECT_EQ(engine.Slot(0).ReceiveBuffer, "");
}

// 長すぎる行を捨てました (
const std::string kDropped =
    "\x92\xb7\x82\xb7\x82\xac\x82\xe9\x8ds\x82\xf0\x8e\xcc\x82\xc4\x82\xdc\x82\xb5\x82\xbd (";

TEST_F(EngineTest, OverlongLinesAreDroppedWithOneNoticeFinishedOrNot) {
    FakeClientSocket* socket = Register(0);
    // A finished line of 200 KB between two good ones, in one read.
    const std::string huge = ":srv NOTICE n :" + std::string(200 * 1024, 'x');
    socket->Deliver(":srv NOTICE n :before\r\n" + huge + "\r\n:srv NOTICE n :after\r\n");
    EXPECT_EQ(
        ui.TextsIn(0, ServerWindow),
        (std::vector<std::string>{
            "<srv> before", kDropped + std::to_string(huge.size()) + " \x83o\x83\x43\x83g)", "<srv> after"}));

    // The longest line taken is still shown in full.
    ui.Clear();
    const std::string longest = ":srv NOTICE n :" + std::string(MaxPendingLine - 15, 'y');
    socket->Deliver(longest + "\r\n");
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0].text, "<srv> " + std::string(MaxPendingLine - 15, 'y'));

    // A line that never ends: the buffer stays capped, one notice, and the
    // rest of that line is skipped up to its end whenever it comes.
    ui.Clear();
    const std::string chunk(4096, 'x');
    for (int i = 0; i < 40; ++i) {
        socket->Deliver(chunk);
        EXPECT_LE(engine.Slot(0).ReceiveBuffer.size(), MaxPendingLine);
    }
    socket->Deliver("tail of the long line\r\n:srv NOTICE n :back\r\n");
    EXPECT_EQ(
        ui.TextsIn(0, ServerWindow),
        (std::vector<std::string>{kDropped + "65537 \x83o\x83\x43\x83g\x88\xc8\x8f\xe3)", "<srv> back"}));
    EXPECT_EQ(ui.lines[0].font, FontKind::Error);
}

TEST_F(EngineTest, DisconnectResetsTheSlot) {
    settings.AutoReconnect = false;  // with it, the windows wait for the reconnection
    FakeClientSocket* socket = Register(0);
    engine.Slot(0).SendQueueA = "X\r\n2:";
    engine.Slot(0).SendQueueB = "Y\r\n2:";
    engine.Slot(0).SendQueueC = "Z\r\n2:";
    engine.Channel(0, 3).Name = "#a";
    engine.Channel(0, 3).IsChannel = true;
    engine.Session(0).Away = true;
    engine.Session(0).AwayNick = "away";

    socket->FireDisconnect();
    const SlotState& s = engine.Slot(0);
    EXPECT_FALSE(s.Session.InUse);
    EXPECT_FALSE(s.Registered);
    EXPECT_EQ(s.SendQueueA + s.SendQueueB + s.SendQueueC, "");
    EXPECT_EQ(s.Session.Nick, "");
    EXPECT_EQ(s.Session.ServerName, "");
    EXPECT_EQ(s.Session.Port, 0);
    EXPECT_FALSE(s.Session.Away);
    EXPECT_EQ(s.Session.AwayNick, "away");  // the picker overwrites it
    EXPECT_TRUE(engine.Channel(0, 3).IsFree());
    EXPECT_EQ(ui.removed, (std::vector<std::pair<int, int>>{{0, 3}}));
    EXPECT_EQ(ui.disconnected, std::vector<int>{0});
    EXPECT_EQ(ui.errors, std::vector<int>{2});
    EXPECT_TRUE(ui.Enabled(Action::FileConnect));
    EXPECT_FALSE(ui.Enabled(Action::FileDisConnect));
    EXPECT_FALSE(ui.Enabled(Action::NickWhois));
    EXPECT_FALSE(ui.sendTimer);
    EXPECT_EQ(engine.FirstFreeSlot(), 0);

    // The socket is not destroyed inside its own event, only at the next tick.
    EXPECT_TRUE(sockets.IsAlive(socket));
    engine.DrainSendQueues();
    EXPECT_FALSE(sockets.IsAlive(socket));
}

TEST_F(EngineTest, SendTimerStaysOnWhileAnotherSlotIsInUse) {
    FakeClientSocket* a = Register(0, "a");
    Register(1, "b");
    a->FireDisconnect();
    EXPECT_TRUE(ui.sendTimer);
    EXPECT_TRUE(engine.Slot(1).Registered);
}

TEST_F(EngineTest, LateEventOfAnOldSocketTouchesNoSlot) {
    FakeClientSocket* old = Register(0, "a");
    FakeClientSocket* other = Register(1, "b");
    old->FireDisconnect();
    ui.Clear();
    ASSERT_TRUE(sockets.IsAlive(old));
    old->FireDisconnect();
    EXPECT_EQ(old->FireError(SocketError::ConnectionAborted), SocketError::ConnectionAborted);  // nobody's
    old->Deliver(":srv NOTICE a :stale\r\n");
    EXPECT_TRUE(engine.Slot(1).Registered);
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_TRUE(ui.lines.empty());
    EXPECT_TRUE(ui.disconnected.empty());
    EXPECT_EQ(other->sent, "");
}

TEST_F(EngineTest, SocketErrorBeforeAndAfterRegistration) {
    settings.AutoReconnect = false;
    FakeClientSocket* connecting = Connect(0);
    EXPECT_EQ(connecting->FireError(SocketError::ConnectionRefused), 0);
    EXPECT_EQ(ui.errors, std::vector<int>{1});
    EXPECT_FALSE(engine.Session(0).InUse);
    EXPECT_TRUE(connecting->closed);

    FakeClientSocket* registered = Register(0);
    EXPECT_EQ(registered->FireError(SocketError::ConnectionReset), 0);
    EXPECT_EQ(ui.errors, std::vector<int>{2});
    EXPECT_FALSE(engine.Slot(0).Registered);
    EXPECT_FALSE(engine.Session(0).InUse);
}

TEST_F(EngineTest, SendQuitCarriesTheConvertedQuitMessage) {
    FakeClientSocket* socket = Register(0);
    engine.SendQuit(0);
    EXPECT_EQ(socket->TakeSent(), "QUIT\r\n");
    settings.QuitMessage = "\x82\xb3\x82\xe6\x82\xc8\x82\xe7";  // "さよなら"
    engine.SendQuit(0);
    EXPECT_EQ(socket->TakeSent(), "QUIT :" + SjisToJis(settings.QuitMessage) + "\r\n");
}

TEST_F(EngineTest, ClosingWaitsForEveryRegisteredServer) {
    EXPECT_TRUE(engine.RequestClose());  // nothing registered: close at once
    EXPECT_FALSE(engine.Closing);

    FakeClientSocket* a = Register(0, "a");
    FakeClientSocket* b = Register(1, "b");
    bool closed = false;
    ui.onRequestClose = [&] { closed = engine.RequestClose(); };

    EXPECT_FALSE(engine.RequestClose());
    EXPECT_TRUE(engine.Closing);
    EXPECT_EQ(a->TakeSent(), "QUIT\r\n");
    EXPECT_EQ(b->TakeSent(), "QUIT\r\n");

    a->FireDisconnect();
    EXPECT_EQ(ui.closeRequests, 1);
    EXPECT_FALSE(closed);
    EXPECT_EQ(b->TakeSent(), "QUIT\r\n");  // asked again
    EXPECT_EQ(a->sent, "");
    EXPECT_TRUE(ui.errors.empty());

    b->FireDisconnect();
    EXPECT_EQ(ui.closeRequests, 2);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(EngineTest, ClosingIsNotStuckWhenAServerFails) {
    FakeClientSocket* a = Register(0, "a");
    bool closed = false;
    ui.onRequestClose = [&] { closed = engine.RequestClose(); };
    EXPECT_FALSE(engine.RequestClose());
    a->FireError(SocketError::ConnectionReset);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(ui.errors.empty());
}

}  // namespace velmok::session
