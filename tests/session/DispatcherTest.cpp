#include <gtest/gtest.h>

#include "session/Codec.h"
#include "session/SessionFixture.h"

namespace velmok::session {

using DispatcherTest = SessionFixture;

TEST_F(DispatcherTest, NickCollisionsRetryWithACounterUntilWelcome) {
    FakeClientSocket* socket = Connect(0, "n");
    socket->Deliver(":srv 433 * n :Nickname is already in use\r\n");
    EXPECT_EQ(socket->TakeSent(), "NICK n1\r\n");
    socket->Deliver(":srv 433 * n1 :Nickname is already in use\r\n");
    EXPECT_EQ(socket->TakeSent(), "NICK n2\r\n");  // not cumulative
    EXPECT_EQ(ui.lines.back().font, FontKind::Error);

    socket->Deliver(":irc.srv 001 n2 :Welcome\r\n");
    EXPECT_EQ(engine.Session(0).Nick, "n2");
    EXPECT_EQ(engine.Slot(0).NickRetryCounter, 0);
    EXPECT_TRUE(engine.Slot(0).Registered);
    EXPECT_EQ(engine.Session(0).ServerName, "irc.srv");
    EXPECT_EQ(ui.serverRenames.back(), (std::pair<int, std::string>{0, "irc.srv"}));
    EXPECT_TRUE(ui.Enabled(Action::FileDisConnect));
    EXPECT_TRUE(ui.Enabled(Action::CommandAway));
    EXPECT_TRUE(ui.Enabled(Action::FileConnect));  // two slots still free
    EXPECT_TRUE(ui.sendTimer);
    // The line is built before the welcome renames us, so the taken nick shows.
    EXPECT_EQ(ui.lines.back().text, "001 n2 Welcome");

    // After registration a collision is only shown.
    ui.Clear();
    socket->Deliver(":irc.srv 433 n2 x :Nickname is already in use\r\n");
    EXPECT_EQ(socket->sent, "");
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0].font, FontKind::Error);
    EXPECT_EQ(ui.beeps, std::vector<BeepKind>{BeepKind::Warning});
}

TEST_F(DispatcherTest, TwoSlotsRegisteringAtOnceEachCountAndTakeTheNickTheServerGave) {
    FakeClientSocket* a = Connect(0, "n");
    FakeClientSocket* b = Connect(1, "n");
    for (FakeClientSocket* s : {a, b, a}) s->Deliver(":srv 433 * n :in use\r\n");
    EXPECT_EQ(a->TakeSent(), "NICK n1\r\nNICK n2\r\n");
    EXPECT_EQ(b->TakeSent(), "NICK n1\r\n");
    // The welcome names the nick registered, here shortened by the server.
    a->Deliver(":srv 001 n2x :Welcome\r\n:n2x!u@h JOIN :#c\r\n");
    EXPECT_EQ(engine.Session(0).Nick, "n2x");
    EXPECT_GE(engine.FindChannel(0, "#c"), 0);
}

TEST_F(DispatcherTest, ConnectActionOffWhenEverySlotIsRegistered) {
    Register(0, "a");
    Register(1, "b");
    FakeClientSocket* c = Connect(2, "c");
    c->Deliver(":srv 001 c :Welcome\r\n");
    EXPECT_FALSE(ui.Enabled(Action::FileConnect));
}

TEST_F(DispatcherTest, AutoJoinSkipsUnflaggedAndSendsNamesAsWritten) {
    FakeClientSocket* socket = Connect(0, "n");
    engine.Session(0).AutoJoin = "1 #a  0 #b  1 !c key 1 !!new  ";
    socket->Deliver(":srv 001 n :Welcome\r\n");
    EXPECT_EQ(engine.Slot(0).SendQueueA, "JOIN #a \r\n2:JOIN !c key\r\n2:JOIN !!new \r\n2:");
    EXPECT_EQ(engine.Session(0).AutoJoin, "1 #a  0 #b  1 !c key 1 !!new  ");
}

TEST_F(DispatcherTest, AutoJoinConvertsJapaneseChannelNames) {
    FakeClientSocket* socket = Connect(0, "n");
    const std::string channel = "#\x93\xfa\x96\x7b";  // "#日本"
    engine.Session(0).AutoJoin = "1 " + channel + "  ";
    socket->Deliver(":srv 001 n :Welcome\r\n");
    EXPECT_EQ(engine.Slot(0).SendQueueA, "JOIN " + SjisToJis(channel) + " \r\n2:");
}

TEST_F(DispatcherTest, AwayWithTheSameNickSendsNothing) {
    FakeClientSocket* socket = Register(0, "n");
    engine.Session(0).AwayNick = "n";
    socket->Deliver(":srv 306 n :You have been marked as being away\r\n");
    EXPECT_TRUE(engine.Session(0).Away);
    EXPECT_TRUE(ui.awayState);
    EXPECT_EQ(engine.Slot(0).SavedNick, "");
    socket->Deliver(":srv 305 n :You are no longer marked as being away\r\n");
    EXPECT_FALSE(engine.Session(0).Away);
    EXPECT_FALSE(ui.awayState);
    EXPECT_EQ(engine.Slot(0).SendQueueA, "");
}

TEST_F(DispatcherTest, AwayNickIsTakenAndGivenBack) {
    FakeClientSocket* socket = Register(0, "n");
    engine.Session(0).AwayNick = "n_away";
    socket->Deliver(":srv 306 n :away\r\n");
    EXPECT_EQ(engine.Slot(0).SavedNick, "n");
    EXPECT_EQ(engine.Slot(0).SendQueueA, "NICK n_away\r\n2:");
    engine.Slot(0).SendQueueA.clear();
    socket->Deliver(":n!u@h NICK :n_away\r\n");
    EXPECT_EQ(engine.Session(0).Nick, "n_away");
    socket->Deliver(":srv 305 n_away :back\r\n");
    EXPECT_EQ(engine.Slot(0).SendQueueA, "NICK n\r\n2:");
}

TEST_F(DispatcherTest, PingIsAnsweredAtOnceAndNotShown) {
    FakeClientSocket* socket = Register(0);
    engine.LocalAddress = "127.0.0.5";
    socket->Deliver("PING :srv\r\n:srv PONG srv :x\r\n");
    EXPECT_EQ(socket->sent, "PONG 127.0.0.5 srv\r\n");
    EXPECT_TRUE(ui.lines.empty());
    EXPECT_TRUE(ui.eventLog.empty());

    // A CR or NUL in what we echo can never end our line early; neither can
    // one in a nick we queue a command for.
    socket->TakeSent();
    socket->Deliver(std::string("PING :a\rQUIT :x\0y\r\n", 19));
    EXPECT_EQ(socket->TakeSent(), "PONG 127.0.0.5 aQUIT :xy\r\n");
    engine.EnqueueLine(Queue::B, 0, "WHOIS e\rvil", 2);
    engine.DrainSendQueues();
    EXPECT_EQ(socket->TakeSent(), "WHOIS evil\r\n");
}

TEST_F(DispatcherTest, ErrorReplyIsShownInTheServerWindowWithABeep) {
    FakeClientSocket* socket = Register(0, "n");
    socket->Deliver(":srv 404 n #c :Cannot send\r\n");
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0].window, ServerWindow);
    EXPECT_EQ(ui.lines[0].font, FontKind::Error);
    EXPECT_EQ(ui.lines[0].text, "404 #c Cannot send");
    EXPECT_FALSE(ui.lines[0].markKeywords);
    EXPECT_EQ(ui.beeps, std::vector<BeepKind>{BeepKind::Warning});
    EXPECT_EQ(ui.log, (std::vector<std::string>{"Beep Warning", "MarkTab 0 -1",
                                                "RenderLine 0 -1 Error 404 #c Cannot send"}));

    // The tab is not marked when the category's switch is off.
    settings.Error_Check = false;
    ui.Clear();
    socket->Deliver(":srv 404 n #c :Cannot send\r\n");
    EXPECT_TRUE(ui.marks.empty());

    // Errors start at 401, which beeps too; 400 and below are plain replies.
    ui.Clear();
    socket->Deliver(":srv 400 n x :Unknown\r\n:srv 401 n bob :No such nick/channel\r\n");
    ASSERT_EQ(ui.lines.size(), 2u);
    EXPECT_EQ(ui.lines[0].font, FontKind::Server);
    EXPECT_EQ(ui.lines[1].font, FontKind::Error);
    EXPECT_EQ(ui.beeps, std::vector<BeepKind>{BeepKind::Warning});
    EXPECT_EQ(ui.log[2], "Beep Warning");  // after the 400's line, before the 401's
}

TEST_F(DispatcherTest, NoSuchNickGoesToTheNicksWindow) {
    FakeClientSocket* socket = Register(0, "n");
    socket->Deliver(":bob!u@h PRIVMSG n :hi\r\n");
    ui.Clear();
    socket->Deliver(":srv 401 n bob :No such nick/channel\r\n");
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0].window, engine.FindChannel(0, "bob"));
    EXPECT_EQ(ui.lines[0].text, "bob :No such nick/channel");
    EXPECT_EQ(ui.lines[0].font, FontKind::Error);
}

TEST_F(DispatcherTest, BadChannelKeyAsksForTheKey) {
    FakeClientSocket* socket = Register(0, "n");
    socket->Deliver(":srv 475 n #k :Cannot join channel (+k)\r\n");
    ASSERT_EQ(ui.inputBoxes.size(), 1u);
    const InputBoxRequest& box = ui.inputBoxes[0];
    EXPECT_EQ(box.Caption, "JOIN #k");
    EXPECT_EQ(box.Label1, "Key\x81\x46");
    EXPECT_FALSE(box.ComboVisible);
    EXPECT_FALSE(box.Label2Visible);
    EXPECT_FALSE(box.Edit2Visible);
    EXPECT_EQ(box.EmptyMessage, 12);
    EXPECT_EQ(box.AuxText, "#k");
    EXPECT_EQ(box.Slot, 0);
    EXPECT_EQ(box.Kind, 5);
    EXPECT_FALSE(box.Modal);
    ASSERT_EQ(ui.lines.size(), 1u);  // and the reply is shown as an error
    EXPECT_EQ(ui.lines[0].font, FontKind::Error);
}

TEST_F(DispatcherTest, InviteOpensTheInvitationBox) {
    FakeClientSocket* socket = Register(1, "n");
    socket->Deliver(":bob!u@h INVITE n :#x\r\n");
    ASSERT_EQ(ui.inputBoxes.size(), 1u);
    const InputBoxRequest& box = ui.inputBoxes[0];
    EXPECT_EQ(box.Caption, "INVITE From bob");
    EXPECT_EQ(box.Height, 132);
    EXPECT_EQ(box.ButtonTop, 72);
    EXPECT_FALSE(box.ComboVisible);
    EXPECT_EQ(box.Label1, "Channel\x81\x46");
    EXPECT_EQ(box.Label2, "Key\x81\x46");
    EXPECT_TRUE(box.Label2Visible);
    EXPECT_EQ(box.Edit1Text, "#x");
    EXPECT_FALSE(box.Edit1Enabled);
    EXPECT_TRUE(box.Edit2Visible);
    EXPECT_EQ(box.EmptyMessage, -1);
    EXPECT_EQ(box.Kind, 1);
    EXPECT_EQ(box.Slot, 1);
    EXPECT_FALSE(box.Modal);
    ASSERT_GE(ui.log.size(), 2u);
    EXPECT_EQ(ui.log[ui.log.size() - 2], "Beep Warning");
    EXPECT_EQ(ui.log.back(), "OpenInputBox INVITE From bob");
    EXPECT_TRUE(ui.lines.empty());
}

TEST_F(DispatcherTest, InviteUnderProtectionIsOnlyShown) {
    FakeClientSocket* socket = Register(0, "n");
    engine.ProtectionMode = true;
    settings.DefenceInvite = true;
    socket->Deliver(":bob!u@h INVITE n :#x\r\n");
    EXPECT_TRUE(ui.inputBoxes.empty());
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0].window, ServerWindow);
    EXPECT_EQ(ui.lines[0].font, FontKind::Command);
    EXPECT_EQ(ui.lines[0].text, "bob INVITE #x");

    // With too many prompts open the window declines the box: the line instead.
    engine.ProtectionMode = false;
    ui.Clear();
    ui.inputBoxShown = false;
    socket->Deliver(":eve!u@h INVITE n :#y\r\n");
    ASSERT_EQ(ui.inputBoxes.size(), 1u);
    EXPECT_EQ(ui.TextsIn(0, ServerWindow), std::vector<std::string>{"eve INVITE #y"});
}

TEST_F(DispatcherTest, MessageToAChannelWithoutWindowLandsInTheServerWindow) {
    FakeClientSocket* socket = Register(0, "n");
    socket->Deliver(":bob!u@h PRIVMSG #nowhere :hello\r\n");
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0].window, ServerWindow);
    EXPECT_EQ(ui.lines[0].font, FontKind::Private);
    EXPECT_EQ(ui.lines[0].text, "<#nowhere:bob>hello");
    EXPECT_TRUE(ui.lines[0].markKeywords);  // the Private keyword switch is on by default
}

TEST_F(DispatcherTest, PrivateMessageOpensAWindowAndBeepsOnce) {
    FakeClientSocket* socket = Register(0, "n");
    socket->Deliver(":bob!u@h PRIVMSG N :hi\r\n:bob!u@h PRIVMSG n :again\r\n");
    ASSERT_EQ(ui.built.size(), 1u);
    EXPECT_EQ(ui.built[0].name, "bob");
    EXPECT_EQ(ui.beeps, std::vector<BeepKind>{BeepKind::Warning});
    EXPECT_EQ(ui.TextsIn(0, ui.built[0].window), (std::vector<std::string>{"<bob> hi", "<bob> again"}));
}

TEST_F(DispatcherTest, ServerNoticeStaysInTheServerWindow) {
    FakeClientSocket* socket = Register(0, "n");
    socket->Deliver(":srv NOTICE n :maintenance\r\n");
    EXPECT_TRUE(ui.built.empty());
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0].window, ServerWindow);
    EXPECT_EQ(ui.lines[0].font, FontKind::Notice);
    EXPECT_EQ(ui.lines[0].text, "<srv> maintenance");
    EXPECT_FALSE(ui.lines[0].markKeywords);
}

TEST_F(DispatcherTest, JapaneseTextIsConvertedForDisplay) {
    FakeClientSocket* socket = Register(0, "n");
    const std::string sjis = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd";  // "こんにちは"
    socket->Deliver(":bob!u@h PRIVMSG n :" + SjisToJis(sjis) + "\r\n");
    EXPECT_EQ(ui.lines.back().text, "<bob> " + sjis);
}

TEST_F(DispatcherTest, OwnJoinOpensTheChannelAndAsksForItsModes) {
    FakeClientSocket* socket = Register(0, "n");
    socket->Deliver(":n!u@h JOIN :#a\r\n:bob!v@w JOIN :#A\r\n");
    int window = engine.FindChannel(0, "#a");
    ASSERT_GE(window, 0);
    EXPECT_EQ(engine.Slot(0).SendQueueB, "MODE #a\r\n2:");
    EXPECT_EQ(ui.TextsIn(0, window), (std::vector<std::string>{"n JOIN (n!u@h)", "bob JOIN (bob!v@w)"}));
    EXPECT_EQ(ui.lines[0].font, FontKind::Command);
    EXPECT_EQ(engine.Channel(0, window).Members, std::vector<std::string>{"bob"});

    // The server may echo our nick in other letters' case: still our own JOIN.
    socket->Deliver(":N!u@h JOIN :#b\r\n");
    window = engine.FindChannel(0, "#b");
    ASSERT_GE(window, 0);
    EXPECT_TRUE(engine.Channel(0, window).Members.empty());
    EXPECT_EQ(engine.Slot(0).SendQueueB, "MODE #a\r\n2:MODE #b\r\n2:");
}

TEST_F(DispatcherTest, OnlyTheUsersOwnJoinsAndOpeningsBecomeTheActiveTab) {
    FakeClientSocket* socket = Register(0, "n");
    // Typed in any case, several channels with their keys, through the queue.
    engine.EnqueueLine(Queue::A, 0, "join #A,#b k1", 2);
    engine.DrainSendQueues();
    engine.SendNow(0, "JOIN 0\r\n");  // leaves every channel, opens nothing
    socket->Deliver(":n!u@h JOIN :#a\r\n");
    EXPECT_EQ(ui.activeWindow[0], engine.FindChannel(0, "#a"));
    // Joined elsewhere (another client of ours, a forced join) and a stranger
    // talking: built in the background, the tab being looked at stays.
    socket->Deliver(":n!u@h JOIN :#elsewhere\r\n:bob!u@h PRIVMSG n :hi\r\n");
    EXPECT_EQ(ui.activeWindow[0], engine.FindChannel(0, "#a"));
    socket->Deliver(":n!u@h JOIN :#b\r\n");
    EXPECT_EQ(ui.activeWindow[0], engine.FindChannel(0, "#b"));
    // Each JOIN asked for counts once: parting and being pulled back in is not.
    socket->Deliver(":n!u@h PART #b\r\n:n!u@h JOIN :#b\r\n");
    EXPECT_NE(ui.activeWindow[0], engine.FindChannel(0, "#b"));
    // The nick menu's "open a private window" is the user's own.
    engine.UserOpening = true;
    EXPECT_EQ(ui.activeWindow[0], engine.OpenChannelTab(0, "carol"));
    // A new connection forgets what the old one asked for.
    engine.SendNow(0, "JOIN #c\r\n");
    engine.ResetSession(0);
    EXPECT_TRUE(engine.Slot(0).JoinsAsked.empty());
}

TEST_F(DispatcherTest, PartKickAndTopicLines) {
    FakeClientSocket* socket = Register(0, "n");
    socket->Deliver(":n!u@h JOIN #a\r\n:srv 353 n = #a :@n bob carol\r\n:srv 366 n #a :End\r\n");
    int window = engine.FindChannel(0, "#a");
    ui.Clear();
    socket->Deliver(":bob!u@h PART #a :bye\r\n:n!u@h KICK #a carol :\r\n:n!u@h TOPIC #a :news\r\n");
    EXPECT_EQ(ui.TextsIn(0, window),
              (std::vector<std::string>{"bob PART (bye)", "n KICK carol ()", "n TOPIC news"}));
    EXPECT_EQ(engine.Channel(0, window).Topic, "news");
    EXPECT_EQ(engine.Channel(0, window).Members, std::vector<std::string>{"@n"});

    socket->Deliver(":op!u@h KICK #a n :out\r\n");
    EXPECT_EQ(engine.FindChannel(0, "#a"), -1);
    EXPECT_EQ(ui.TextsIn(0, ServerWindow), std::vector<std::string>{"op KICK #a n (out)"});
}

TEST_F(DispatcherTest, NamesReplyFillsTheMatchingChannel) {
    FakeClientSocket* socket = Register(0, "n");
    socket->Deliver(":n!u@h JOIN #a\r\n:srv 353 n = #A :@n +v plain\r\n");
    int window = engine.FindChannel(0, "#a");
    EXPECT_TRUE(engine.Channel(0, window).NamesPending);
    EXPECT_TRUE(engine.Channel(0, window).OwnOp);
    socket->Deliver(":srv 366 n #a :End of NAMES list\r\n");
    EXPECT_FALSE(engine.Channel(0, window).NamesPending);
    EXPECT_EQ(engine.Channel(0, window).Members.size(), 3u);

    // A bare mark names nobody, and a mode change without its nick changes
    // nobody: no empty entry ever reaches the list.
    socket->Deliver(
        ":srv 353 n = #a :@ + x\r\n:srv 366 n #a :End\r\n:o!u@h MODE #a -o\r\n:o!u@h MODE #a +o\r\n");
    EXPECT_EQ(engine.Channel(0, window).Members, std::vector<std::string>{"x"});
}

TEST_F(DispatcherTest, UserModeIsNotShown) {
    FakeClientSocket* socket = Register(0, "n");
    socket->Deliver(":n!u@h MODE n :+i\r\n");
    EXPECT_TRUE(ui.lines.empty());
}

// While a dispatch waits for the user in a nested event loop, more data may
// arrive for the same slot; it must be queued behind the running dispatch.
TEST_F(DispatcherTest, NestedReadOnlyAppendsAndIsHandledInOrder) {
    FakeClientSocket* socket = Register(0, "n");
    bool nested = false;
    std::size_t linesSeenInsideNestedRead = 0;
    ui.onRenderLine = [&](const RecordingFrontend::Line&) {
        if (nested) return;
        nested = true;
        socket->Deliver(":srv NOTICE n :third\r\n:srv NOTICE n :fou");
        linesSeenInsideNestedRead = ui.lines.size();
    };
    socket->Deliver(":srv NOTICE n :first\r\n:srv NOTICE n :second\r\n");
    EXPECT_EQ(linesSeenInsideNestedRead, 1u);
    socket->Deliver("rth\r\n");
    EXPECT_EQ(ui.TextsIn(0, ServerWindow),
              (std::vector<std::string>{"<srv> first", "<srv> second", "<srv> third", "<srv> fourth"}));
    EXPECT_FALSE(engine.Slot(0).Dispatching);
}

TEST_F(DispatcherTest, DisconnectDuringADispatchStopsItSafely) {
    FakeClientSocket* socket = Register(0, "n");
    ui.onRenderLine = [&](const RecordingFrontend::Line&) {
        if (ui.lines.size() == 1) {
            socket->FireDisconnect();
            engine.DrainSendQueues();  // a timer running in the nested loop
        }
    };
    socket->Deliver(":srv NOTICE n :first\r\n:srv NOTICE n :second\r\n");
    // The second line belongs to the dead connection; the drop's own line follows.
    const std::vector<std::string> shown = ui.TextsIn(0, ServerWindow);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "<srv> first");
    EXPECT_EQ(shown[1].find("<srv>"), std::string::npos);
    EXPECT_FALSE(engine.Session(0).InUse);
    EXPECT_TRUE(sockets.IsAlive(socket));  // still on the stack above us
    engine.DrainSendQueues();
    EXPECT_FALSE(sockets.IsAlive(socket));
}

}  // namespace velmok::session
