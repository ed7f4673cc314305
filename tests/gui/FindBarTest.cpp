// Ctrl+F over a view: typing, stepping both ways, scrolling to the match,
// following the tab, Escape; in the all-window and the event log too.
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "MainWindowFixture.h"
#include "platform/QtText.h"
#include "ui/QtEventLog.h"
#include "widgets/QtFindBar.h"

namespace velmok::ui {

TEST_F(MainWindowFixture, CtrlFFindsInTheShownViewStepsBothWaysScrollsAndEscapeCloses) {
    Start();
    session::FakeClientSocket* s = Register(0);
    widgets::QtMessageView* view = form->ViewOf(0, Join(s, "#a"));
    // "日本語" in ISO-2022-JP.
    s->Deliver(":bob!u@h PRIVMSG #a :Hello there\r\n:bob!u@h PRIVMSG #a :\x1b$BF|K\\8l\x1b(B hello\r\n");
    for (int i = 0; i < 200; ++i) s->Deliver(":ann!u@h PRIVMSG #a :chatter\r\n");
    const int hello = 1;  // after the JOIN line
    QApplication::setActiveWindow(form.get());
    form->InputLine()->setFocus();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    QLineEdit* edit = form->FindBar()->Edit();
    ASSERT_TRUE(edit->hasFocus());
    QTest::keyClicks(edit, QStringLiteral("HELLO"));
    EXPECT_EQ(view->FoundAt().first, hello + 1) << "the newest match first, in any case";
    EXPECT_EQ(form->FindBar()->findChild<QLabel*>(QStringLiteral("Lbl_FindState"))->text(),
              QStringLiteral("2 / 2"));
    view->grab();
    EXPECT_LE(view->ShownLines().first, hello + 1) << "scrolled back to it";
    QTest::keyClick(edit, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(view->FoundAt().first, hello);
    edit->clear();
    QInputMethodEvent japanese;  // as the input method commits it
    japanese.setCommitString(QStringLiteral("本語"));
    QApplication::sendEvent(edit, &japanese);
    EXPECT_EQ(view->FoundAt(), std::make_pair(hello + 1, 13));
    // The wave dash of a Japanese keyboard meets the one a received 0x8160 shows as.
    EXPECT_EQ(widgets::AsShown(QStringLiteral("\u301C")), platform::FromSjis("\x81\x60"));

    // Another tab: the bar searches there now; Escape takes it and its marks away.
    const int b = Join(s, "#b");
    s->Deliver(":bob!u@h PRIVMSG #b :\x1b$BK\\8l\x1b(B\r\n");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(form->ViewOf(0, b)->FoundAt().first, 1);
    EXPECT_EQ(view->FoundAt().first, -1);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(form->FindBar()->isVisible());
    EXPECT_EQ(form->ViewOf(0, b)->FoundAt().first, -1);
    EXPECT_TRUE(form->InputLine()->hasFocus());

    s->Deliver(":srv NOTICE me :server says hello\r\n");
    form->AllWindow()->setFocus();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(edit, QStringLiteral("says"));
    EXPECT_EQ(form->AllWindow()->FoundAt().first, form->AllWindow()->LineCount() - 1);

    Tfrm_EventLog log;
    for (const char* line : {"Trigger one", "nothing", "trigger two"})
        log.AppendLine(QString::fromLatin1(line));
    log.FindBar()->Open();
    QTest::keyClicks(log.FindBar()->Edit(), QStringLiteral("TRIGGER"));
    EXPECT_EQ(log.View()->textCursor().blockNumber(), 2);
    EXPECT_EQ(log.View()->textCursor().selectedText(), QStringLiteral("trigger"));
    EXPECT_EQ(log.View()->extraSelections().size(), 3);  // both matches, and the one found
    QTest::keyClick(log.FindBar()->Edit(), Qt::Key_Return);
    EXPECT_EQ(log.View()->textCursor().blockNumber(), 0);
}

}  // namespace velmok::ui
