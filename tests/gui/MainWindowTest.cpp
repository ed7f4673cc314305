#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTimer>

#include "MainWindowFixture.h"
#include "config/Iniaccess.h"
#include "platform/QtText.h"
#include "ui/QtEventLog.h"

namespace velmok::ui {

namespace {

void PressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

// Key presses carrying each character as its text, as a keyboard layout or
// an input method in key-event mode delivers them.
void TypeText(QWidget* target, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, length));
        QApplication::sendEvent(target, &press);
        i += length - 1;
    }
}

QString LastLine(const widgets::QtMessageView* view) {
    return view && view->LineCount() > 0 ? view->LineText(view->LineCount() - 1) : QString();
}

// Section names of an INI text, in order.
std::vector<std::string> Sections(const QByteArray& ini) {
    std::vector<std::string> out;
    for (const QByteArray& line : ini.split('\n')) {
        const QByteArray t = line.trimmed();
        if (t.startsWith('[') && t.endsWith(']')) out.push_back(t.mid(1, t.size() - 2).toStdString());
    }
    return out;
}

}  // namespace

using MainWindow = MainWindowFixture;

TEST_F(MainWindow, StartsWithDefaultsAndSavesEverythingOnCloseWithoutConnection) {
    Start();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Velmok 2.2"));
    EXPECT_EQ(form->Config().Interval, 500);
    EXPECT_EQ(form->Config().Font(session::FontKind::Error).Color, 255);
    EXPECT_EQ(form->Config().Font(session::FontKind::Notice).Color, 65280);
    EXPECT_EQ(form->ServerTabs()->tabSide(), TabSide::Top);
    EXPECT_FALSE(form->InputLine()->isEnabled());
    EXPECT_FALSE(form->ActionNamed(QStringLiteral("FileDisConnect"))->isEnabled());
    EXPECT_FALSE(QFile::exists(PathOf("velmok.ini")));

    EXPECT_TRUE(form->close());
    EXPECT_TRUE(form->IsClosed());
    const std::vector<std::string> sections = Sections(ReadFile("velmok.ini"));
    ASSERT_FALSE(sections.empty());
    EXPECT_EQ(sections.front(), "Bgcolor");
    EXPECT_EQ(sections.back(), "Window");
    for (const char* s : {"Font_Private", "Font_Keyword", "Tab", "Message", "CTCP_Reply", "DCC_Reply",
                          "Defence", "Keyword", "Event", "Log"}) {
        EXPECT_NE(std::find(sections.begin(), sections.end(), s), sections.end()) << s;
    }
    EXPECT_TRUE(QFile::exists(PathOf("Events")));
    config::IniFile ini(platform::ToSjis(PathOf("velmok.ini")));
    EXPECT_EQ(ini.ReadInteger("Defence", "Interval", -1), 500);
    EXPECT_EQ(ini.ReadInteger("Font_Error", "Color", -1), 255);
}

TEST_F(MainWindow, ServerPositionOnePutsServerTabsAtTheBottom) {
    WriteFile("velmok.ini", "[Tab]\r\nServer_Position=1\r\n");
    Start();
    EXPECT_EQ(form->ServerTabs()->tabSide(), TabSide::Bottom);
}

TEST_F(MainWindow, ClosingWaitsForEveryRegisteredServerAndSavesOnce) {
    Start();
    session::FakeClientSocket* a = Register(0);
    session::FakeClientSocket* b = Register(1);

    EXPECT_FALSE(form->close());
    EXPECT_EQ(a->TakeSent(), "QUIT\r\n");
    EXPECT_EQ(b->TakeSent(), "QUIT\r\n");
    EXPECT_TRUE(form->isVisible());

    a->FireDisconnect();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->IsClosed());
    EXPECT_EQ(b->TakeSent(), "QUIT\r\n");  // asked again for the one still registered
    EXPECT_FALSE(QFile::exists(PathOf("velmok.ini")));
    EXPECT_TRUE(dialogs.errors.empty());  // a drop while closing is no error

    b->FireDisconnect();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->IsClosed());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(QFile::exists(PathOf("velmok.ini")));

    // A second close does not write again.
    QFile::remove(PathOf("velmok.ini"));
    form->close();
    EXPECT_FALSE(QFile::exists(PathOf("velmok.ini")));
}

TEST_F(MainWindow, QuitCarriesTheQuitMessage) {
    WriteFile("velmok.ini", "[Message]\r\nQUIT=bye\r\n");
    Start();
    session::FakeClientSocket* a = Register(0);
    EXPECT_FALSE(form->close());
    EXPECT_EQ(a->TakeSent(), "QUIT :bye\r\n");
}

TEST_F(MainWindow, ChannelTabsOpenCloseAndSwitch) {
    Start();
    session::FakeClientSocket* s = Register(0);
    widgets::QtTabSet* tabs = form->SlotTabs(0);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Server"));
    std::vector<int> w;
    for (const char* c : {"#c1", "#c2", "#c3", "#c4", "#c5"}) w.push_back(Join(s, c));
    ASSERT_EQ(tabs->count(), 6);
    EXPECT_EQ(form->CurrentWindow(), w[4]);  // the newest tab is entered
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("#c3"));

    // Close the active third of five: the former fourth takes its place.
    tabs->setCurrentIndex(3);
    Engine().CloseChannelTab(0, "#c3");
    ASSERT_EQ(tabs->count(), 5);
    EXPECT_EQ(tabs->currentIndex(), 3);
    EXPECT_EQ(form->CurrentWindow(), w[3]);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("#c4"));

    // Closing a tab in the background keeps the one being looked at.
    Engine().CloseChannelTab(0, "#c1");
    EXPECT_EQ(form->CurrentWindow(), w[3]);
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QStringLiteral("#c4"));

    // Ctrl+Left on "Server" stays there, Ctrl+Right moves on.
    tabs->setCurrentIndex(0);
    form->ActionNamed(QStringLiteral("TabChangeLeft"))->trigger();
    EXPECT_EQ(tabs->currentIndex(), 0);
    form->ActionNamed(QStringLiteral("TabChangeRight"))->trigger();
    EXPECT_EQ(tabs->currentIndex(), 1);
    tabs->setCurrentIndex(tabs->count() - 1);
    form->ActionNamed(QStringLiteral("TabChangeRight"))->trigger();
    EXPECT_EQ(tabs->currentIndex(), tabs->count() - 1);
}

TEST_F(MainWindow, NewTextMarksBackgroundTabsUntilEntered) {
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    const int b = Join(s, "#b");
    widgets::QtTabSet* tabs = form->SlotTabs(0);
    ASSERT_EQ(form->CurrentWindow(), b);

    s->Deliver(":bob!u@h PRIVMSG #b :here\r\n");
    EXPECT_TRUE(tabs->tabIcon(2).isNull());  // the active tab gets no mark
    s->Deliver(":bob!u@h PRIVMSG #a :hi\r\n");
    EXPECT_FALSE(tabs->tabIcon(1).isNull());
    EXPECT_EQ(form->CurrentWindow(), b);  // marking does not switch

    tabs->setCurrentIndex(1);
    EXPECT_EQ(form->CurrentWindow(), a);
    EXPECT_TRUE(tabs->tabIcon(1).isNull());
}

namespace {

// Opens the message-window menu on view and reads its close item; when choose
// is set and the item is enabled, picks it as the keyboard would.
struct CloseItem {
    bool seen = false;
    bool enabled = false;
    QString hint;
};
CloseItem OpenMessageMenu(widgets::QtMessageView* view, bool choose) {
    CloseItem item;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        QAction* close = menu->findChild<QAction*>(QStringLiteral("Popup_MessageWindow_Close"));
        if (close) {
            item.seen = true;
            item.enabled = close->isEnabled();
            item.hint = close->statusTip();
        }
        if (close && choose && close->isEnabled()) {
            menu->setActiveAction(close);
            PressKey(menu, Qt::Key_Return);
        }
        if (menu->isVisible()) menu->close();
    });
    emit view->contextMenuWanted(QPoint(20, 20));
    return item;
}

}  // namespace

TEST_F(MainWindow, CloseItemOfTheServerTabFollowsTheConnection) {
    Start();
    form->Config().AutoReconnect = false;
    session::FakeClientSocket* s = Register(0);
    ASSERT_EQ(form->CurrentWindow(), session::ServerWindow);
    widgets::QtMessageView* server = form->ViewOf(0, session::ServerWindow);
    ASSERT_NE(server, nullptr);

    CloseItem item = OpenMessageMenu(server, true);
    ASSERT_TRUE(item.seen);
    EXPECT_FALSE(item.enabled);
    EXPECT_EQ(item.hint, QStringLiteral("Serverタブを閉じる"));
    EXPECT_EQ(form->ServerTabs()->count(), 1);

    s->FireDisconnect();
    EXPECT_EQ(dialogs.errors, std::vector<int>{2});
    QCoreApplication::processEvents();
    item = OpenMessageMenu(server, true);
    EXPECT_TRUE(item.enabled);
    EXPECT_EQ(form->ServerTabs()->count(), 0);
    EXPECT_EQ(form->CurrentSlot(), -1);
}

TEST_F(MainWindow, CloseItemOfAChannelTabPartsAtOnce) {
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    Engine().Slot(0).SendQueueA.clear();
    const CloseItem item = OpenMessageMenu(form->ViewOf(0, a), true);
    EXPECT_TRUE(item.enabled);
    EXPECT_EQ(item.hint, QStringLiteral("チャンネル #a から抜ける"));
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "PART #a\r\n2:");
    EXPECT_EQ(form->SlotTabs(0)->count(), 1);
    EXPECT_EQ(Engine().FindChannel(0, "#a"), -1);
}

TEST_F(MainWindow, TitleShowsModesInFixedOrderThenTopic) {
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    session::ChannelRecord& r = Engine().Channel(0, a);
    r.ModeFlags[5] = true;  // n
    r.ModeFlags[3] = true;  // t
    r.Limit = "10";
    r.Key = "x";
    r.Topic = "hi";
    form->UpdateTitle(0);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("#a +tnlk 10 x hi"));

    form->SlotTabs(0)->setCurrentIndex(0);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("srv"));
}

TEST_F(MainWindow, ChannelLinesRenderWithStampAndJapaneseText) {
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    s->Deliver(":bob!u@h PRIVMSG #a :hi\r\n");
    EXPECT_EQ(LastLine(form->ViewOf(0, a)), QStringLiteral("12:34 <bob> hi"));
    s->Deliver(":bob!u@h PRIVMSG #a :\x1b$B$3$s$K$A$O\x1b(B\r\n");
    EXPECT_EQ(LastLine(form->ViewOf(0, a)), QStringLiteral("12:34 <bob> こんにちは"));
}

TEST_F(MainWindow, LinesForHiddenWindowsAreCopiedToTheAllWindow) {
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    Join(s, "#b");
    const int before = form->AllWindow()->LineCount();
    s->Deliver(":bob!u@h PRIVMSG #a :hi\r\n");
    EXPECT_EQ(LastLine(form->ViewOf(0, a)), QStringLiteral("12:34 <bob> hi"));
    ASSERT_EQ(form->AllWindow()->LineCount(), before + 1);
    EXPECT_EQ(LastLine(form->AllWindow()), QStringLiteral("srv 12:34 <#a:bob> hi"));

    // A line for the window being looked at is not copied.
    s->Deliver(":bob!u@h PRIVMSG #b :there\r\n");
    EXPECT_EQ(form->AllWindow()->LineCount(), before + 1);
}

TEST_F(MainWindow, LogFileHoldsTheExactBytes) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("logs")));
    WriteFile("velmok.ini", "[Log]\r\nOutput=1\r\nPath=" + PathOf("logs").toLocal8Bit() + "\r\n");
    Start();
    session::FakeClientSocket* s = Register(0);
    Join(s, "#a");
    s->Deliver(":bob!u@h PRIVMSG #a :\x1b$B$3$s$K$A$O\x1b(B\r\n");
    QFile log(QDir(PathOf("logs")).filePath(QStringLiteral("srv-#a_20240102.log")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    // Shift-JIS of the greeting, CR LF at the end.
    EXPECT_TRUE(bytes.endsWith("12:34 #a <bob> \x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\r\n"))
        << bytes.toStdString();
}

TEST_F(MainWindow, ServerTimeStampsTheViewAndTheLogInLocalTime) {
    // Local time nine hours ahead of UTC, whatever the machine says.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "JST-9");
    tzset();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("logs")));
    WriteFile("velmok.ini", "[Log]\r\nOutput=1\r\nPath=" + PathOf("logs").toLocal8Bit() + "\r\n");
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    // A bouncer's replay of a line from yesterday, and a line of now.
    s->Deliver("@time=2023-12-31T15:05:59.123Z;msgid=x :bob!u@h PRIVMSG #a :old\r\n");
    EXPECT_EQ(LastLine(form->ViewOf(0, a)), QStringLiteral("00:05 <bob> old"));
    s->Deliver(":bob!u@h PRIVMSG #a :new\r\n");
    EXPECT_EQ(LastLine(form->ViewOf(0, a)), QStringLiteral("12:34 <bob> new"));
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
    const QDir logs(PathOf("logs"));
    QFile old(logs.filePath(QStringLiteral("srv-#a_20240101.log")));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("00:05 #a <bob> old\r\n"));
    QFile today(logs.filePath(QStringLiteral("srv-#a_20240102.log")));
    ASSERT_TRUE(today.open(QIODevice::ReadOnly));
    EXPECT_TRUE(today.readAll().endsWith("12:34 #a <bob> new\r\n"));
}

TEST_F(MainWindow, TypedLinesAreQueuedEchoedAndRemembered) {
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    Engine().Slot(0).SendQueueA.clear();
    QPlainTextEdit* input = form->InputLine();
    ASSERT_TRUE(input->isEnabled());

    input->setPlainText(QStringLiteral("hello"));
    PressKey(input, Qt::Key_Return);
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "PRIVMSG #a :hello\r\n2:");
    EXPECT_EQ(LastLine(form->ViewOf(0, a)), QStringLiteral("12:34 <me> hello"));
    EXPECT_TRUE(input->toPlainText().isEmpty());

    // A paste of several lines sends the complete ones and keeps the rest.
    Engine().Slot(0).SendQueueA.clear();
    input->setPlainText(QStringLiteral("a\nb\nc"));
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "PRIVMSG #a :a\r\n2:PRIVMSG #a :b\r\n2:");
    EXPECT_EQ(input->toPlainText(), QStringLiteral("c"));

    input->clear();
    PressKey(input, Qt::Key_Up);
    EXPECT_EQ(input->toPlainText(), QStringLiteral("b"));
    PressKey(input, Qt::Key_Up);
    EXPECT_EQ(input->toPlainText(), QStringLiteral("a"));
}

TEST_F(MainWindow, TypedJisVariantsAreSentAndWhatTheWireCannotCarryIsRefused) {
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    Engine().Slot(0).SendQueueA.clear();
    QPlainTextEdit* input = form->InputLine();
    // As a Linux input method types them: U+301C and U+2212.
    TypeText(input, QStringLiteral("A〜B−C"));
    PressKey(input, Qt::Key_Return);
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "PRIVMSG #a :A\x1b$B!A\x1b(BB\x1b$B!]\x1b(BC\r\n2:");
    EXPECT_EQ(LastLine(form->ViewOf(0, a)), QStringLiteral("12:34 <me> A～B－C"));

    Engine().Slot(0).SendQueueA.clear();
    TypeText(input, QStringLiteral("x€①y"));
    PressKey(input, Qt::Key_Return);
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "");
    EXPECT_EQ(input->toPlainText(), QStringLiteral("x€①y")) << "the line stays to be mended";
    EXPECT_EQ(LastLine(form->ViewOf(0, a)),
              QStringLiteral("12:34 送信できない文字が含まれています：U+20AC、①(U+2460)"));
    // A paste with such a line sends nothing and keeps every line.
    input->setPlainText(QStringLiteral("ok\n€\nrest"));
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "");
    EXPECT_EQ(input->toPlainText(), QStringLiteral("ok\n€\nrest"));
}

TEST_F(MainWindow, CommandMenuEnablesJoinOnlyAfterRegistration) {
    Start();
    session::FakeClientSocket* s = Connect(0);
    auto* menu = form->findChild<QMenu*>(QStringLiteral("mnu_Command"));
    ASSERT_NE(menu, nullptr);
    QAction* join = form->ActionNamed(QStringLiteral("CommandJoin"));
    emit menu->aboutToShow();
    EXPECT_FALSE(join->isEnabled());
    EXPECT_FALSE(form->ActionNamed(QStringLiteral("CommandPart"))->isEnabled());

    s->Deliver(":srv 001 me :hi\r\n");
    emit menu->aboutToShow();
    EXPECT_TRUE(join->isEnabled());
    EXPECT_TRUE(form->ActionNamed(QStringLiteral("CommandList"))->isEnabled());
    EXPECT_FALSE(form->ActionNamed(QStringLiteral("CommandPart"))->isEnabled());
    Join(s, "#a");
    emit menu->aboutToShow();
    EXPECT_TRUE(form->ActionNamed(QStringLiteral("CommandPart"))->isEnabled());
}

TEST_F(MainWindow, SelectAllActsOnTheFocusedAllWindow) {
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    Join(s, "#b");
    s->Deliver(":bob!u@h PRIVMSG #a :hi\r\n");
    form->SlotTabs(0)->setCurrentIndex(1);
    ASSERT_EQ(form->CurrentWindow(), a);
    ASSERT_TRUE(form->AllWindow()->isVisible());
    ASSERT_GT(form->AllWindow()->LineCount(), 0);

    QApplication::setActiveWindow(form.get());
    form->AllWindow()->setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form->AllWindow()->hasFocus());
    form->ActionNamed(QStringLiteral("EditSelectAll"))->trigger();
    EXPECT_TRUE(form->AllWindow()->HasSelection());
    EXPECT_FALSE(form->ViewOf(0, a)->HasSelection());

    // With the focus elsewhere the channel view is meant.
    form->ViewOf(0, a)->setFocus();
    QCoreApplication::processEvents();
    form->ActionNamed(QStringLiteral("EditSelectAll"))->trigger();
    EXPECT_TRUE(form->ViewOf(0, a)->HasSelection());
}

TEST_F(MainWindow, EventLogTakesTracesAndItsMenuDirectsSelectAllAndClear) {
    WriteFile("velmok.ini", "[Event]\r\nLog=1\r\n");
    Start();
    auto* log = form->findChild<Tfrm_EventLog*>();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(form->ActionNamed("ShowEventLog")->isEnabled());
    form->WriteEventLog("trace line");
    EXPECT_EQ(log->View()->toPlainText(), QStringLiteral("trace line"));

    QString hint;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        if (QAction* close = menu->findChild<QAction*>(QStringLiteral("Popup_MessageWindow_Close")))
            hint = close->statusTip();
        menu->close();
    });
    emit log->View()->customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(hint, QStringLiteral("イベントログを閉じる"));

    // After the menu was opened on the event log, select-all and clear act there.
    form->SelectAllCurrent();
    EXPECT_TRUE(log->View()->textCursor().hasSelection());
    form->ClearCurrentView();
    EXPECT_TRUE(log->View()->toPlainText().isEmpty());
}

TEST_F(MainWindow, NoEventLogWindowWhenEventLoggingIsOff) {
    Start();
    EXPECT_EQ(form->findChild<Tfrm_EventLog*>(), nullptr);
    EXPECT_FALSE(form->ActionNamed("ShowEventLog")->isEnabled());
}

TEST_F(MainWindow, AwayMembersAreGreyedInTheNickList) {
    Start();
    session::FakeClientSocket* socket = Register(0);
    const int a = Join(socket, "#a");
    socket->Deliver(
        ":srv 005 me PREFIX=(ohv)@%+ :are supported\r\n"
        ":srv 353 me = #a :@me %bob carol\r\n:srv 366 me #a :End\r\n:bob!u@h AWAY :lunch\r\n");
    QCoreApplication::processEvents();
    QListWidget* list = form->NickListOf(0, a);
    ASSERT_EQ(list->count(), 3);
    const QColor normal = list->item(0)->foreground().color();
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("%bob"));
    EXPECT_NE(list->item(1)->foreground().color(), normal);
    EXPECT_EQ(list->item(2)->foreground().color(), normal);
    socket->Deliver(":bob!u@h AWAY\r\n");
    EXPECT_EQ(list->item(1)->foreground().color(), normal);
}

TEST_F(MainWindow, NickListDoubleClickAsksWhoisOrTheBanList) {
    Start();
    session::FakeClientSocket* socket = Register(0);
    const int a = Join(socket, "#a");
    socket->Deliver(":srv 353 me = #a :@me bob\r\n:srv 366 me #a :End\r\n");
    QListWidget* list = form->NickListOf(0, a);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 2);
    Engine().Slot(0).SendQueueB.clear();
    Engine().Slot(0).SendQueueC.clear();
    auto doubleClick = [&] {
        QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(5, 200), QPointF(5, 200), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &event);
    };

    list->clearSelection();
    list->findItems(QStringLiteral("bob"), Qt::MatchExactly).first()->setSelected(true);
    doubleClick();
    EXPECT_EQ(Engine().Slot(0).SendQueueB, "WHOIS bob bob\r\n2:");

    list->clearSelection();
    Engine().BanListReply = "old";
    doubleClick();
    EXPECT_EQ(Engine().Slot(0).SendQueueC, "MODE #a +b\r\n4:");
    EXPECT_TRUE(Engine().BanListReply.empty());
}

TEST_F(MainWindow, EveryLineInTheBackgroundKeepsTheTaskbarAlertUp) {
    Start();
    session::FakeClientSocket* s = Register(0);
    Join(s, "#a");
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    ASSERT_FALSE(form->isActiveWindow());
    dialogs.alerts = 0;
    for (int i = 0; i < 3; ++i) s->Deliver(":bob!u@h PRIVMSG #a :hi\r\n");
    EXPECT_EQ(dialogs.alerts, 3);
    QApplication::setActiveWindow(form.get());
    s->Deliver(":bob!u@h PRIVMSG #a :seen\r\n");
    EXPECT_EQ(dialogs.alerts, 3);
}

TEST_F(MainWindow, ViewsInputLineAndMemberListsKeepTheirColoursUnderAnyPaletteOrStyleSheet) {
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    s->Deliver(":bob!u@h PRIVMSG #a :" + std::string(40, 'W') + "\r\n:srv 353 me = #a :me bob\r\n");
    const QPalette original = QApplication::palette();
    const QColor black(0, 0, 0), white(255, 255, 255);  // Bgcolor and the Private font by default
    for (int look = 0; look < 3; ++look) {              // a dark palette, a light one, a style sheet
        QPalette p = original;
        for (auto role : {QPalette::Base, QPalette::Window, QPalette::Text})
            p.setColor(role, look ? white : black);
        QApplication::setPalette(p);
        if (look == 2) qApp->setStyleSheet(QStringLiteral("* { background: white; color: white; }"));
        const QImage view = form->ViewOf(0, a)->viewport()->grab().toImage();
        EXPECT_EQ(view.pixelColor(view.width() - 2, 2), black) << look;
        bool text = false;
        for (int y = 0; y < view.height(); ++y)
            for (int x = 0; x < view.width() / 2; ++x) text = text || view.pixelColor(x, y) == white;
        EXPECT_TRUE(text) << look;
        for (QWidget* w :
             {static_cast<QWidget*>(form->InputLine()), static_cast<QWidget*>(form->NickListOf(0, a))}) {
            const QImage image = w->grab().toImage();
            EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2), black) << look;
        }
    }
    qApp->setStyleSheet(QString());
    QApplication::setPalette(original);
}

}  // namespace velmok::ui
