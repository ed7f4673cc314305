// The DCC windows' controls: a chat between two windows of one program on
// real loopback sockets, driven from the keyboard, and the main window's part.
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QUrl>
#include <fstream>

#include "MainWindowFixture.h"
#include "dcc/Offer.h"
#include "dcc/QtChat.h"
#include "dcc/QtDccWindows.h"
#include "dcc/QtFileTransfer.h"
#include "platform/QtSockets.h"
#include "platform/QtText.h"
#include "support/QtWait.h"
#include "support/RecordingFrontend.h"
#include "windows/QtAuxWindows.h"
#include "windows/QtNickMenu.h"

namespace velmok::dcc {
namespace {

using test::WaitUntil;

void PressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

QString LastLine(const widgets::QtMessageView* view) {
    return view->LineCount() > 0 ? view->LineText(view->LineCount() - 1) : QString();
}

// Both ends in one program: the engine's server connection is a fake whose
// local address is 127.0.0.1, the DCC connections are real.
class DccWindowsTest : public ::testing::Test {
protected:
    session::FakeClock clock;
    session::FakeSocketFactory ircSockets;
    session::RecordingFrontend ui;
    config::Settings settings;
    session::Engine engine{ui, clock, ircSockets, settings};
    test::ScriptedDialogs dialogs;
    std::unique_ptr<DccWindows> windows;
    session::FakeClientSocket* irc = nullptr;

    void SetUp() override {
        QApplication::setQuitOnLastWindowClosed(false);
        session::ServerSession& s = engine.Session(0);
        s.ServerName = "127.0.0.1";
        s.Port = 6667;
        s.Nick = "me";
        ASSERT_TRUE(engine.ConnectSession(0));
        irc = ircSockets.Last();
        irc->FireConnect();
        irc->TakeSent();
        windows = std::make_unique<DccWindows>(engine, nullptr, &dialogs);
    }
    void TearDown() override {
        windows.reset();
        QCoreApplication::processEvents();
    }

    // The offer sent on the server connection: everything after "DCC <type> ".
    std::string TakeOffer(const std::string& type) {
        std::string offer;
        EXPECT_TRUE(WaitUntil(
            [&] {
                offer = irc->sent;
                return !offer.empty();
            },
            5000));
        irc->TakeSent();
        const std::string head =
            "PRIVMSG bob :\x01"
            "DCC " +
            type + " ";
        EXPECT_EQ(offer.substr(0, head.size()), head);
        EXPECT_EQ(offer.substr(offer.size() - 3), "\x01\r\n");
        return offer.substr(head.size(), offer.size() - head.size() - 3);
    }
};

TEST_F(DccWindowsTest, ChatWindowsTalkOverLoopbackFromTheKeyboard) {
    windows->OfferChat(0, "bob");
    const auto offer = session::ParseOffer(false, TakeOffer("CHAT"));
    ASSERT_TRUE(offer);
    windows->AcceptChat(0, "alice", offer->Address, offer->Port);
    ASSERT_EQ(windows->ChatWindows().size(), 2u);
    Tfrm_DCC_Chat* offering = windows->ChatWindows()[0];
    Tfrm_DCC_Chat* accepting = windows->ChatWindows()[1];
    EXPECT_EQ(offering->windowTitle(), QStringLiteral("DCC CHAT to bob"));
    EXPECT_EQ(accepting->windowTitle(), QStringLiteral("DCC CHAT from alice"));
    ASSERT_TRUE(
        WaitUntil([&] { return offering->Logic().Connected() && accepting->Logic().Connected(); }, 5000));
    EXPECT_TRUE(offering->memo_InputMessage->isEnabled());
    EXPECT_EQ(LastLine(accepting->Rich_DCC_Chat), QStringLiteral("12:34 aliceへ接続が完了しました。"));

    accepting->memo_InputMessage->insertPlainText(QStringLiteral("こんにちは、世界"));
    PressKey(accepting->memo_InputMessage, Qt::Key_Return);
    EXPECT_TRUE(accepting->memo_InputMessage->toPlainText().isEmpty());
    EXPECT_EQ(LastLine(accepting->Rich_DCC_Chat), QStringLiteral("12:34 <me> こんにちは、世界"));
    ASSERT_TRUE(WaitUntil(
        [&] { return LastLine(offering->Rich_DCC_Chat) == QStringLiteral("12:34 <bob> こんにちは、世界"); },
        5000))
        << LastLine(offering->Rich_DCC_Chat).toStdString();

    // What the wire cannot carry is not sent; the line stays.
    accepting->memo_InputMessage->insertPlainText(QStringLiteral("€"));
    PressKey(accepting->memo_InputMessage, Qt::Key_Return);
    EXPECT_EQ(accepting->memo_InputMessage->toPlainText(), QStringLiteral("€"));
    EXPECT_EQ(LastLine(accepting->Rich_DCC_Chat),
              QStringLiteral("12:34 送信できない文字が含まれています：U+20AC"));

    // A pasted block goes line by line; its unfinished last line stays.
    offering->memo_InputMessage->setPlainText(QStringLiteral("one\ntwo\nthr"));
    EXPECT_EQ(offering->memo_InputMessage->toPlainText(), QStringLiteral("thr"));
    ASSERT_TRUE(WaitUntil(
        [&] { return LastLine(accepting->Rich_DCC_Chat) == QStringLiteral("12:34 <alice> two"); }, 5000));
    PressKey(offering->memo_InputMessage, Qt::Key_Up);
    EXPECT_EQ(offering->memo_InputMessage->toPlainText(), QStringLiteral("two"));

    // A click on an address in the view opens it with the desktop's handler.
    QTextBrowser opened;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &opened, "setSource");
    const QString url = QStringLiteral("http://example.com/") + QString(80, QLatin1Char('a'));
    accepting->Logic().SendChatLine(url.toStdString());
    ASSERT_TRUE(WaitUntil([&] { return LastLine(offering->Rich_DCC_Chat).endsWith(url); }, 5000));
    widgets::QtMessageView* view = offering->Rich_DCC_Chat;
    view->viewport()->repaint();
    const QPointF at(view->viewport()->width() / 2, view->viewport()->height() - 8);
    QMouseEvent press(QEvent::MouseButtonPress, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &press);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    EXPECT_EQ(opened.source(), QUrl(url));

    // The look follows the settings.
    settings.Bgcolor = 0x0000FF;
    offering->TimerTimer();
    EXPECT_EQ(offering->Rich_DCC_Chat->Background(), QColor(255, 0, 0));
    EXPECT_EQ(offering->memo_InputMessage->palette().color(QPalette::Base), QColor(255, 0, 0));

    accepting->close();
    ASSERT_TRUE(WaitUntil(
        [&] { return LastLine(offering->Rich_DCC_Chat) == QStringLiteral("12:34 bobから切断されました。"); },
        5000));
    EXPECT_FALSE(offering->memo_InputMessage->isEnabled());
    EXPECT_EQ(windows->ChatWindows().size(), 1u);
}

using MainWindowDcc = ui::MainWindowFixture;

TEST_F(MainWindowDcc, AcceptedOffersOpenTheirWindowsAndClosingTheMainWindowClosesThem) {
    Start();
    Connect(0);
    form->AcceptChat(0, "bob", "127.0.0.1", 5000);
    ASSERT_EQ(form->Dcc().ChatWindows().size(), 1u);
    EXPECT_EQ(form->Dcc().ChatWindows()[0]->windowTitle(), QStringLiteral("DCC CHAT from bob"));
    EXPECT_EQ(sockets.Last()->address, "127.0.0.1");
    EXPECT_EQ(sockets.Last()->port, 5000);

    // The save dialog is cancelled: the window goes again without a word.
    form->ReceiveFile(0, "bob", "a/b/c.txt", "127.0.0.1", 5001, 3000000000u);
    EXPECT_EQ(dialogs.proposedNames, std::vector<std::string>{"c.txt"});
    EXPECT_TRUE(dialogs.errors.empty());
    ASSERT_TRUE(test::WaitUntil([&] { return form->Dcc().SendWindows().empty(); }, 2000));

    EXPECT_TRUE(form->close());
    ASSERT_TRUE(test::WaitUntil([&] { return form->Dcc().ChatWindows().empty(); }, 2000));
}

// The member list's "DCC" entries offer to the one chosen member through the
// server connection of the slot, from the DCC windows the main window keeps.
TEST_F(MainWindowDcc, MemberMenuOffersChatAndFileToTheChosenMember) {
    Start();
    session::FakeClientSocket* irc = Register(0);
    const int window = Join(irc, "#a");
    irc->Deliver(":srv 353 me = #a :@me bob carol\r\n:srv 366 me #a :End\r\n");
    QListWidget* nicks = form->NickListOf(0, window);
    nicks->findItems(QStringLiteral("bob"), Qt::MatchExactly).first()->setSelected(true);
    windows::QtNickMenu& menu = form->AuxWindows().NickMenu();
    menu.Prepare(0, window, nicks);
    ASSERT_TRUE(menu.Action(windows::NickEntry::DCC)->isEnabled());
    irc->TakeSent();

    menu.Action(windows::NickEntry::DCC_CHAT)->trigger();
    ASSERT_EQ(form->Dcc().ChatWindows().size(), 1u);
    EXPECT_EQ(form->Dcc().ChatWindows()[0]->windowTitle(), QStringLiteral("DCC CHAT to bob"));
    EXPECT_EQ(irc->TakeSent(),
              "PRIVMSG bob :\x01"
              "DCC CHAT chat 2130706433 10000\x01\r\n");

    const std::string path = dir.path().toStdString() + "/a.txt";
    std::ofstream(path, std::ios::binary) << std::string(3000, 'x');
    dialogs.openFiles.push_back(path);
    menu.Action(windows::NickEntry::DCC_SEND)->trigger();
    ASSERT_EQ(form->Dcc().SendWindows().size(), 1u);
    EXPECT_EQ(form->Dcc().SendWindows()[0]->windowTitle(), QStringLiteral("DCC SEND to bob"));
    EXPECT_EQ(irc->TakeSent(),
              "PRIVMSG bob :\x01"
              "DCC SEND a.txt 2130706433 10000 3000\x01\r\n");

    // A file dropped from the desktop on a member is offered to them at once; not to oneself.
    QDir(dir.path()).mkpath(QStringLiteral("設定"));
    const QString dropped = QDir(dir.path()).filePath(QStringLiteral("設定/メモ.txt"));
    std::ofstream(platform::ToLocalPath(dropped), std::ios::binary) << std::string(10, 'y');
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(dropped)});
    auto dropOn = [&](int row) {
        const QPoint at = nicks->visualItemRect(nicks->item(row)).center();
        QDragEnterEvent enter(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(nicks->viewport(), &enter);
        QApplication::sendEvent(nicks->viewport(), &drop);
        return enter.isAccepted() && drop.isAccepted();
    };
    EXPECT_FALSE(dropOn(0));  // "@me"
    EXPECT_TRUE(dropOn(2));   // carol
    ASSERT_TRUE(test::WaitUntil([&] { return form->Dcc().SendWindows().size() == 2; }, 2000));
    EXPECT_EQ(irc->TakeSent(),
              "PRIVMSG carol :\x01"
              "DCC SEND \x1b$B%a%b\x1b(B.txt 2130706433 10000 10\x01\r\n");

    // Two members chosen: no offer can be made.
    nicks->findItems(QStringLiteral("carol"), Qt::MatchExactly).first()->setSelected(true);
    menu.Prepare(0, window, nicks);
    EXPECT_FALSE(menu.Action(windows::NickEntry::DCC)->isEnabled());
}

}  // namespace
}  // namespace velmok::dcc
