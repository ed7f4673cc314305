// Ctrl+F over a view: typing, stepping both ways, the marks, scrolling to
// the match, Escape; in the all-window and the event log too.
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
namespace {

class FindBar : public MainWindowFixture {};

// Japanese arrives from the input method as committed text.
void Commit(QWidget* edit, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

}  // namespace

TEST_F(FindBar, CtrlFFindsInTheShownViewStepsBothWaysScrollsAndEscapeCloses) {
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    widgets::QtMessageView* view = form->ViewOf(0, a);
    view->resize(400, 200);
    // "日本語" in ISO-2022-JP.
    s->Deliver(":bob!u@h PRIVMSG #a :Hello there\r\n:bob!u@h PRIVMSG #a :\x1b$BF|K\\8l\x1b(B hello\r\n");
    for (int i = 0; i < 200; ++i) s->Deliver(":ann!u@h PRIVMSG #a :chatter " + std::to_string(i) + "\r\n");
    QCoreApplication::processEvents();
    const int hello = view->LineCount() - 202;  // "Hello there"

    form->InputLine()->setFocus();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    widgets::QtFindBar* bar = form->FindBar();
    ASSERT_TRUE(bar->isVisible());
    ASSERT_TRUE(bar->Edit()->hasFocus());
    QTest::keyClicks(bar->Edit(), QStringLiteral("HELLO"));
    EXPECT_EQ(view->FoundAt().first, hello + 1) << "the newest match first, in any case";
    EXPECT_FALSE(view->AtBottom()) << "scrolled back to it";
    view->grab();
    const auto [first, last] = view->ShownLines();
    EXPECT_TRUE(first <= hello + 1 && hello + 1 <= last) << first << ".." << last;
    QTest::keyClick(bar->Edit(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(view->FoundAt().first, hello);
    QTest::keyClick(bar->Edit(), Qt::Key_Return);
    EXPECT_EQ(view->FoundAt().first, hello + 1);

    bar->Edit()->clear();
    Commit(bar->Edit(), QStringLiteral("本語"));
    EXPECT_EQ(view->FoundAt(), std::make_pair(hello + 1, 13));
    QTest::keyClicks(bar->Edit(), QStringLiteral("x"));
    EXPECT_EQ(view->FoundAt().first, -1);
    EXPECT_FALSE(bar->findChild<QLabel*>(QStringLiteral("Lbl_FindState"))->text().isEmpty());

    // Another tab: the bar searches there now.
    const int b = Join(s, "#b");
    s->Deliver(":bob!u@h PRIVMSG #b :\x1b$BK\\8l\x1b(B\r\n");
    form->ActivateWindow(0, b);
    bar->Edit()->clear();
    Commit(bar->Edit(), QStringLiteral("本語"));
    EXPECT_EQ(form->ViewOf(0, b)->FoundAt().first, form->ViewOf(0, b)->LineCount() - 1);

    QTest::keyClick(bar->Edit(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(form->ViewOf(0, b)->FoundAt().first, -1) << "the marks go with the bar";
    EXPECT_TRUE(form->InputLine()->hasFocus());

    // The all-window when it has the keyboard.
    s->Deliver(":srv NOTICE me :server says hello\r\n");
    form->AllWindow()->setFocus();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    bar->Edit()->selectAll();
    QTest::keyClicks(bar->Edit(), QStringLiteral("says"));
    EXPECT_EQ(form->AllWindow()->FoundAt().first, form->AllWindow()->LineCount() - 1);
}

TEST(FindBarText, TypedJapaneseMeetsTheFormsReceivedLinesShowIn) {
    // The wave dash of a Japanese keyboard and the one a received 0x8160 shows as.
    EXPECT_EQ(widgets::AsShown(QStringLiteral("a\u301C\U0001F600")),
              QStringLiteral("a") + platform::FromSjis("\x81\x60") + QStringLiteral("\U0001F600"));
}

TEST_F(FindBar, TheEventLogHasItsOwn) {
    Tfrm_EventLog log;
    log.show();
    for (const char* line : {"Trigger one", "nothing", "trigger two"})
        log.AppendLine(QString::fromLatin1(line));
    log.FindBar()->Open();
    QTest::keyClicks(log.FindBar()->Edit(), QStringLiteral("TRIGGER"));
    EXPECT_EQ(log.View()->textCursor().blockNumber(), 2);
    EXPECT_EQ(log.View()->textCursor().selectedText(), QStringLiteral("trigger"));
    EXPECT_EQ(log.View()->extraSelections().size(), 3);  // two matches and the one found
    QTest::keyClick(log.FindBar()->Edit(), Qt::Key_Return);
    EXPECT_EQ(log.View()->textCursor().blockNumber(), 0);
    QTest::keyClick(log.FindBar()->Edit(), Qt::Key_Escape);
    EXPECT_TRUE(log.View()->extraSelections().isEmpty());
}

}  // namespace velmok::ui
