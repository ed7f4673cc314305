// Tabs, keys and the caption of the main window, driven as a user would.
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

}  // namespace velmok::ui
