// Reconnecting after a drop, against a scripted server on fake sockets and a
// fake clock: the schedule, the lines, the rejoin, and every end the user asked for.
#include <algorithm>
#include <string>
#include <vector>

#include "inputbox/InputBox.h"
#include "session/SessionFixture.h"

namespace velmok::session {

namespace {

const std::string kAttempt =
    "\x8d\xc4\x90\xda\x91\xb1\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81i";  // 再接続しています（
const std::string kRefused =
    "\x90\xda\x91\xb1\x82\xf0\x8b\x91\x94\xdb\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd";  // 接続を拒否されました
const std::string kServerClosed =
    "\x83T\x81[\x83o\x82\xaa\x90\xda\x91\xb1\x82\xf0\x95\xc2\x82\xb6\x82\xdc\x82\xb5\x82\xbd";  // サーバが接続を閉じました

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ReconnectTest : public SessionFixture {
protected:
    // Registered on slot 0 with an auto-join list, in #a (auto-joined), #b
    // (key kb) and a private conversation.
    FakeClientSocket* RegisteredInChannels() {
        engine.Session(0).AutoJoin = "1 #a  0 #c  ";
        FakeClientSocket* socket = Register(0);
        socket->Deliver(
            ":n!u@h JOIN #a\r\n:n!u@h JOIN #b\r\n:srv 324 n #b +k kb\r\n:bob!u@h PRIVMSG n :hi\r\n");
        engine.Slot(0).SendQueueA.clear();
        engine.Slot(0).SendQueueB.clear();
        ui.Clear();
        return socket;
    }
    // Advances the clock in whole seconds, ticking the reconnect timer each
    // second; the number of seconds until a new socket appeared, or -1.
    int SecondsUntilAttempt(int limit) {
        const std::size_t before = sockets.created.size();
        for (int second = 1; second <= limit; ++second) {
            clock.Advance(1000);
            engine.CheckReconnects();
            if (sockets.created.size() != before) return second;
        }
        return -1;
    }
};

}  // namespace

TEST_F(ReconnectTest, ADroppedConnectionComesBackOnScheduleAndRejoinsItsChannels) {
    FakeClientSocket* first = RegisteredInChannels();
    first->FireDisconnect();
    EXPECT_TRUE(ui.errors.empty()) << "no message box while the client reconnects";
    EXPECT_FALSE(engine.Session(0).InUse);
    EXPECT_TRUE(engine.ReconnectPending(0));
    EXPECT_TRUE(ui.reconnectTimer);

    // 5, 10, 30, 60, then every 120 seconds; failures are lines, not boxes.
    const std::vector<int> expected = {5, 10, 30, 60, 120, 120};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(SecondsUntilAttempt(200), expected[i]) << "attempt " << i + 1;
        FakeClientSocket* attempt = sockets.Last();
        EXPECT_EQ(attempt->address, "127.0.0.1");
        EXPECT_EQ(attempt->port, 6667);
        const std::string line = ui.lines.back().text;
        EXPECT_TRUE(Contains(line, kAttempt + std::to_string(i + 1))) << line;
        EXPECT_TRUE(Contains(line, "127.0.0.1:6667"));
        EXPECT_TRUE(Contains(line, i == 0 ? kServerClosed : kRefused)) << "the reason of attempt " << i + 1;
        if (i + 1 < expected.size()) {
            EXPECT_EQ(attempt->FireError(SocketError::ConnectionRefused), 0);
            EXPECT_TRUE(Contains(ui.lines.back().text, kRefused));
            EXPECT_EQ(ui.lines.back().window, ServerWindow);
        }
    }
    EXPECT_TRUE(ui.errors.empty());

    // The last attempt gets through: the server view is kept, the channels come back.
    FakeClientSocket* last = sockets.Last();
    last->FireConnect();
    EXPECT_EQ(last->TakeSent(), "CAP LS 302\r\nNICK n\r\nUSER u 0 * :r\r\n");
    EXPECT_FALSE(ui.connectedClearView.back());
    last->Deliver(":srv 001 n :Welcome\r\n");
    EXPECT_EQ(engine.Slot(0).SendQueueA, "JOIN #a \r\n2:JOIN #b kb\r\n2:")
        << "the auto-join list, then the other open channels with their keys; no private windows";
    EXPECT_FALSE(engine.ReconnectPending(0));
    EXPECT_FALSE(ui.reconnectTimer);

    // A second drop starts over at 5 seconds.
    last->FireDisconnect();
    EXPECT_EQ(SecondsUntilAttempt(200), 5);
}

// Safe channels: "!name" joins the one there, "!!name" makes a new one, and
// the server calls each "!" + a five-character id + name.
TEST_F(ReconnectTest, BangChannelsAreJoinedAsWrittenOrAsTheServerNamedThem) {
    engine.Session(0).AutoJoin = "1 !safe  1 !!fresh  ";
    FakeClientSocket* first = Register(0);
    first->Deliver(":n!u@h JOIN :!ABCDEsafe\r\n:n!u@h JOIN :!FGHIJfresh\r\n:b!u@h INVITE n :!Z2XKLinv\r\n");
    ASSERT_EQ(ui.inputBoxes.size(), 1u);
    inputbox::InputBoxState box{1, 0, -1, false, ui.inputBoxes[0].AuxText};
    EXPECT_EQ(inputbox::InputBoxOk(engine, box, {"", -1, ui.inputBoxes[0].Edit1Text, ""}), 0);
    EXPECT_EQ(engine.Slot(0).SendQueueA, "JOIN !safe \r\n2:JOIN !!fresh \r\n2:JOIN !Z2XKLinv \r\n2:");
    first->Deliver(":n!u@h JOIN :!Z2XKLinv\r\n");
    first->FireDisconnect();
    ASSERT_EQ(SecondsUntilAttempt(10), 5);
    sockets.Last()->FireConnect();
    sockets.Last()->Deliver(":srv 001 n :Welcome\r\n");
    // "!safe" reaches !ABCDEsafe again; "!!fresh" would not reach !FGHIJfresh.
    EXPECT_EQ(engine.Slot(0).SendQueueA,
              "JOIN !safe \r\n2:JOIN !!fresh \r\n2:JOIN !FGHIJfresh\r\n2:JOIN !Z2XKLinv\r\n2:");
}

TEST_F(ReconnectTest, AnEndTheUserAskedForNeverReconnects) {
    auto dropAndWait = [&](FakeClientSocket* socket) {
        socket->FireDisconnect();
        EXPECT_FALSE(engine.ReconnectPending(0));
        return SecondsUntilAttempt(300);
    };
    // The disconnect action (QUIT sent at once).
    FakeClientSocket* socket = Register(0);
    engine.SendQuit(0);
    EXPECT_EQ(dropAndWait(socket), -1);

    // A typed /quit leaves through the paced queue.
    socket = Register(0);
    engine.EnqueueLine(Queue::A, 0, "quit :bye", 2);
    engine.DrainSendQueues();
    EXPECT_EQ(dropAndWait(socket), -1);

    // Reconnection turned off.
    settings.AutoReconnect = false;
    socket = Register(0);
    EXPECT_EQ(dropAndWait(socket), -1);
    EXPECT_EQ(ui.errors, std::vector<int>{2});
    settings.AutoReconnect = true;

    // Turned off while an attempt is under way: that attempt is the last.
    Register(0)->FireDisconnect();
    ASSERT_EQ(SecondsUntilAttempt(10), 5);
    settings.AutoReconnect = false;
    sockets.Last()->FireError(SocketError::ConnectionRefused);
    EXPECT_FALSE(engine.ReconnectPending(0));
    EXPECT_FALSE(ui.reconnectTimer);
    settings.AutoReconnect = true;

    // A connection that never registered is no drop.
    socket = Connect(0);
    EXPECT_EQ(socket->FireError(SocketError::ConnectionRefused), 0);
    EXPECT_FALSE(engine.ReconnectPending(0));

    // Closing the window ends a pending reconnection.
    Register(0)->FireDisconnect();
    ASSERT_TRUE(engine.ReconnectPending(0));
    EXPECT_TRUE(engine.RequestClose());
    EXPECT_FALSE(engine.ReconnectPending(0));
    EXPECT_FALSE(ui.reconnectTimer);
    EXPECT_EQ(SecondsUntilAttempt(300), -1);
}

TEST_F(ReconnectTest, TheWindowsOfADroppedConnectionWaitForItAndTakeTheirChannelsBack) {
    FakeClientSocket* first = RegisteredInChannels();
    first->Deliver(":n!u@h JOIN #c\r\n:srv 353 n = #a :n bob\r\n:srv 366 n #a :End\r\n");
    const int a = engine.FindChannel(0, "#a"), b = engine.FindChannel(0, "#b"),
              c = engine.FindChannel(0, "#c");
    const int bob = engine.FindChannel(0, "bob");
    std::vector<int> kept = {a, b, c, bob};
    ui.Clear();
    first->FireDisconnect();
    EXPECT_TRUE(ui.removed.empty()) << "the windows stay with their text";
    EXPECT_TRUE(engine.Channel(0, a).Members.empty());
    // Each kept window is marked and says the connection was lost, why, and when it comes back.
    std::vector<int> told;
    for (const auto& line : ui.lines)
        if (Contains(line.text, "\x90\xd8\x82\xea\x82\xdc\x82\xb5\x82\xbd\x81\x69" + kServerClosed +
                                    "\x81\x6a\x81\x42"
                                    "5"))
            told.push_back(line.window);
    std::sort(kept.begin(), kept.end());
    for (int w : kept)
        EXPECT_TRUE(engine.Channel(0, w).Disconnected &&
                    ui.Logged("SetWindowConnected 0 " + std::to_string(w) + " 0"));
    kept.insert(kept.begin(), ServerWindow);
    EXPECT_EQ(told, kept);

    // Closed while the connection is down: not joined again. A failed attempt keeps the others.
    engine.CloseChannelTab(0, "#c");
    ASSERT_EQ(SecondsUntilAttempt(10), 5);
    sockets.Last()->FireError(SocketError::ConnectionRefused);
    ASSERT_EQ(SecondsUntilAttempt(20), 10);
    FakeClientSocket* again = sockets.Last();
    again->FireConnect();
    ui.Clear();
    again->Deliver(":srv 001 n :Welcome\r\n");
    EXPECT_FALSE(engine.Channel(0, bob).Disconnected) << "a conversation goes on at once";
    EXPECT_TRUE(engine.Channel(0, a).Disconnected);
    EXPECT_EQ(engine.Slot(0).SendQueueA, "JOIN #a \r\n2:JOIN #b kb\r\n2:");
    for (int i = 0; i < 4; ++i) engine.DrainSendQueues();
    again->Deliver(":n!u@h JOIN #a\r\n:n!u@h JOIN #B\r\n:srv 353 n = #a :n carol\r\n:srv 366 n #a :End\r\n");
    EXPECT_TRUE(ui.built.empty()) << "each channel comes back into its own window";
    EXPECT_TRUE(ui.Logged("RenderLine 0 " + std::to_string(a) + " Command n JOIN (n!u@h)"));
    EXPECT_FALSE(engine.Channel(0, a).Disconnected || engine.Channel(0, b).Disconnected);
    EXPECT_EQ(engine.Channel(0, a).Members.size(), 2u);

    // Given up by the user, the kept windows go as at any other end; a new
    // connection takes a slot that waits for nobody.
    again->FireDisconnect();
    EXPECT_EQ(engine.FirstFreeSlot(), 1);
    engine.StopReconnect(0);
    EXPECT_EQ(engine.FindChannel(0, "#a"), -1);
    EXPECT_EQ(ui.removed.size(), 3u);
}

TEST_F(ReconnectTest, TheUserStopsTheAttemptsOrConnectsTheSlotHimself) {
    // Stopped while waiting.
    Register(0)->FireDisconnect();
    engine.StopReconnect(0);
    EXPECT_FALSE(engine.ReconnectPending(0));
    EXPECT_EQ(ui.lines.back().text,
              "\x8d\xc4\x90\xda\x91\xb1\x82\xf0\x92\x86\x8e~\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42");
    EXPECT_EQ(SecondsUntilAttempt(300), -1);

    // Stopped while an attempt is connecting: that attempt is dropped.
    Register(0)->FireDisconnect();
    ASSERT_EQ(SecondsUntilAttempt(10), 5);
    FakeClientSocket* attempt = sockets.Last();
    ASSERT_TRUE(engine.Session(0).InUse);
    engine.StopReconnect(0);
    EXPECT_TRUE(attempt->closed);
    EXPECT_FALSE(engine.Session(0).InUse);
    EXPECT_EQ(SecondsUntilAttempt(300), -1);

    // The connect action fills the waiting slot with another profile.
    Register(0)->FireDisconnect();
    FakeClientSocket* chosen = Connect(0, "other", "127.0.0.2");
    EXPECT_FALSE(engine.ReconnectPending(0));
    EXPECT_EQ(SecondsUntilAttempt(300), -1);
    EXPECT_EQ(sockets.Last(), chosen);
    EXPECT_TRUE(ui.connectedClearView.back());
}

}  // namespace velmok::session
