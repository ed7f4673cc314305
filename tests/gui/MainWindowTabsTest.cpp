// Tabs, keys and the caption of the main window, driven as a user would.
#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "MainWindowFixture.h"

namespace velmok::ui {

namespace {

// Connects slot and registers it with server's welcome reply.
class MainWindowTabs : public MainWindowFixture {
protected:
    session::FakeClientSocket* RegisterAs(int slot, const std::string& server) {
        session::FakeClientSocket* socket = Connect(slot);
        socket->Deliver(":" + server + " 001 me :hi\r\n");
        socket->TakeSent();
        return socket;
    }
    QAction* Away() { return form->ActionNamed(QStringLiteral("CommandAway")); }
};

}  // namespace

TEST_F(MainWindowTabs, TabKeysWorkWhileTypingInTheInputLine) {
    Start();
    session::FakeClientSocket* one = RegisterAs(0, "one");
    const int a = Join(one, "#a");
    const int b = Join(one, "#b");
    RegisterAs(1, "two");
    ASSERT_EQ(form->CurrentSlot(), 1);

    QApplication::setActiveWindow(form.get());
    QPlainTextEdit* input = form->InputLine();
    input->setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(input->hasFocus());
    QTest::keyClicks(input, QStringLiteral("abc"));

    QTest::keyClick(input, Qt::Key_Right, Qt::ShiftModifier);  // already the last server tab
    EXPECT_EQ(form->CurrentSlot(), 1);
    QTest::keyClick(input, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(form->CurrentSlot(), 0);
    EXPECT_EQ(form->CurrentWindow(), b);
    QTest::keyClick(input, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(form->CurrentWindow(), a);
    QTest::keyClick(input, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(form->CurrentWindow(), session::ServerWindow);
    QTest::keyClick(input, Qt::Key_Left, Qt::ControlModifier);  // no wrap-around
    EXPECT_EQ(form->CurrentWindow(), session::ServerWindow);
    QTest::keyClick(input, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(form->CurrentWindow(), a);
    QTest::keyClick(input, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(form->CurrentSlot(), 1);

    // The text typed so far is untouched, and plain arrows still move the caret.
    EXPECT_EQ(input->toPlainText(), QStringLiteral("abc"));
    EXPECT_FALSE(input->textCursor().hasSelection());
    QTest::keyClick(input, Qt::Key_Left);
    EXPECT_EQ(input->textCursor().position(), 2);
}

TEST_F(MainWindowTabs, InputLineOpensWithTheConnectionAndTypedCommandsLeaveBeforeRegistration) {
    Start();
    session::FakeClientSocket* socket = Connect(0);
    QPlainTextEdit* input = form->InputLine();
    EXPECT_TRUE(input->isEnabled());
    EXPECT_FALSE(form->ActionNamed(QStringLiteral("FileDisConnect"))->isEnabled());

    input->setPlainText(QStringLiteral("NICK other"));
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "NICK other\r\n2:");
    auto* timer = form->findChild<QTimer*>(QStringLiteral("Timer"));
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(timer->isActive());
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(socket->TakeSent(), "NICK other\r\n");

    socket->FireDisconnect();
    EXPECT_FALSE(input->isEnabled());
}

TEST_F(MainWindowTabs, ABackgroundServerLeavesTheCaptionAndAwayButtonAlone) {
    Start();
    session::FakeClientSocket* one = RegisterAs(0, "one");
    RegisterAs(1, "two");
    ASSERT_EQ(form->CurrentSlot(), 1);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("two"));
    Engine().Session(0).Away = true;

    const int a = Join(one, "#a");
    one->Deliver(":bob!u@h TOPIC #a :news\r\n");
    one->Deliver(":bob!u@h MODE #a +t\r\n");
    EXPECT_EQ(form->windowTitle(), QStringLiteral("two"));
    EXPECT_FALSE(Away()->isChecked());
    EXPECT_EQ(form->ActiveWindow(0), a);

    QApplication::setActiveWindow(form.get());
    QTest::keyClick(form->InputLine(), Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_EQ(form->CurrentSlot(), 0);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("#a +t news"));
    EXPECT_TRUE(Away()->isChecked());

    // Nor does a background server's disconnection reset the caption.
    QTest::keyClick(form->InputLine(), Qt::Key_Right, Qt::ShiftModifier);
    one->FireDisconnect();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("two"));
    EXPECT_TRUE(form->InputLine()->isEnabled());
}

TEST_F(MainWindowTabs, TypingGoesOnInTheInputLineWhileOthersOpenWindows) {
    Start();
    session::FakeClientSocket* s = RegisterAs(0, "srv");
    const int a = Join(s, "#a");
    for (int i = 0; i < 60; ++i) s->Deliver(":bob!u@h PRIVMSG #a :line " + std::to_string(i) + "\r\n");
    QApplication::setActiveWindow(form.get());
    form->InputLine()->setFocus();
    // Keys go wherever the keyboard focus is, as a user's would.
    auto type = [](const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); };
    type(QStringLiteral("hello wor"));
    // A stranger and a JOIN made elsewhere arrive mid-word: marked tabs in the background.
    s->Deliver(":stranger!u@h PRIVMSG me :psst\r\n:me!u@h JOIN :#elsewhere\r\n");
    EXPECT_EQ(form->CurrentWindow(), a);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("#a"));
    ASSERT_EQ(form->SlotTabs(0)->count(), 4);
    EXPECT_FALSE(form->SlotTabs(0)->tabIcon(2).isNull() || form->SlotTabs(0)->tabIcon(3).isNull());
    type(QStringLiteral("ld\r"));
    EXPECT_NE(Engine().Slot(0).SendQueueA.find("PRIVMSG #a :hello world\r\n"), std::string::npos);
    // Page Up in the input line reads back in the shown view.
    QCoreApplication::processEvents();
    ASSERT_TRUE(form->ViewOf(0, a)->AtBottom());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
    EXPECT_FALSE(form->ViewOf(0, a)->AtBottom());
    EXPECT_EQ(QApplication::focusWidget(), form->InputLine());
}

TEST_F(MainWindowTabs, FortyChannelTabsOnEverySideFitTheScreenWithEveryControlInSight) {
    for (int side = 0; side < 4; ++side) {
        SCOPED_TRACE(testing::Message() << "Channel_Position=" << side);
        WriteFile("velmok.ini", "[Tab]\r\nChannel_Position=" + QByteArray::number(side) +
                                    "\r\n[Window]\r\nTop=0\r\nLeft=0\r\nWidth=1280\r\nHeight=960\r\n");
        Start();
        session::FakeClientSocket* s = RegisterAs(0, "srv");
        for (int i = 0; i < 40; ++i) Join(s, "#channel-" + std::to_string(i) + std::string(i % 9, 'x'));
        QCoreApplication::processEvents();
        EXPECT_TRUE(form->width() <= 1280 && form->height() <= 1024);
        EXPECT_TRUE(form->minimumSizeHint().width() <= 1280 && form->minimumSizeHint().height() <= 1024);
        auto inSight = [&](QWidget* w, QRect r = {}) {
            if (r.isNull()) r = w->rect();
            return w->isVisible() &&
                   form->rect().contains(QRect(w->mapTo(form.get(), r.topLeft()), r.size()));
        };
        const int current = form->CurrentWindow();
        for (QWidget* w :
             {static_cast<QWidget*>(form->InputLine()), form->findChild<QWidget*>("btn_ActionMode"),
              static_cast<QWidget*>(form->NickListOf(0, current)),
              static_cast<QWidget*>(form->ViewOf(0, current))})
            EXPECT_TRUE(w && inSight(w)) << (w ? w->metaObject()->className() : "none");
        widgets::QtTabSet* tabs = form->SlotTabs(0);
        EXPECT_GT(tabs->rowCount(), 1);
        for (int i = 0; i < tabs->count(); ++i) EXPECT_TRUE(inSight(tabs, tabs->tabRect(i))) << i;
        form.reset();
    }
}

}  // namespace velmok::ui
