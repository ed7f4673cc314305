// Being called while the window is in the background: the own nick marked,
// the notification and the tray mark, and the way back to the conversation.
#include <QDBusConnection>

#include "MainWindowFixture.h"
#include "platform/QtNotifier.h"
#include "ui/QtAttention.h"

namespace velmok::ui {
namespace {

class CallingTheUser : public MainWindowFixture {};

// The colour the character at the start of part is shown in, in the last line.
QColor ColourOf(widgets::QtMessageView* view, const QString& part) {
    const int line = view->LineCount() - 1;
    return view->FormatAt(line, static_cast<int>(view->LineText(line).indexOf(part))).foreground().color();
}

}  // namespace

TEST_F(CallingTheUser, TheNickOrAPrivateMessageInTheBackgroundNotifiesAndAClickBringsItsTabForward) {
    Start();
    QtAttention& attention = form->Attention();
    // A bus that is not there: nothing reaches the desktop running the tests.
    attention.SetNotifier(std::make_unique<platform::QtNotifier>(QDBusConnection(QStringLiteral("none"))));
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    ASSERT_FALSE(form->isActiveWindow());

    s->Deliver(":bob!u@h PRIVMSG #a :hello all\r\n:bob!u@h NOTICE me :a notice\r\n");
    EXPECT_EQ(attention.Waiting(), 0);
    s->Deliver(":bob!u@h PRIVMSG #a :ME: look\r\n");
    EXPECT_EQ(attention.Waiting(), 1);
    EXPECT_EQ(attention.LastTitle(), QStringLiteral("#a (srv)"));
    EXPECT_EQ(attention.LastBody(), QStringLiteral("<bob> ME: look"));
    widgets::QtMessageView* view = form->ViewOf(0, a);
    EXPECT_EQ(ColourOf(view, QStringLiteral("ME:")), QColor(255, 0, 0)) << "marked in the keyword font";
    EXPECT_EQ(ColourOf(view, QStringLiteral("look")), QColor(255, 255, 255));

    s->Deliver(":bob!u@h PRIVMSG me :psst\r\n");
    const int bob = Engine().FindChannel(0, "bob");
    EXPECT_EQ(attention.Waiting(), 2);
    EXPECT_EQ(attention.LastTitle(), QStringLiteral("bob (srv)"));
    form->ActivateWindow(0, a);
    attention.Clicked(1);  // the second conversation that called
    EXPECT_EQ(form->CurrentWindow(), bob);

    QApplication::setActiveWindow(form.get());
    QCoreApplication::processEvents();
    EXPECT_EQ(attention.Waiting(), 0) << "back in the window, nothing waits";
    s->Deliver(":bob!u@h PRIVMSG me :seen\r\n");
    EXPECT_EQ(attention.Waiting(), 0);

    // Switched off, each on its own.
    QApplication::setActiveWindow(&elsewhere);
    form->Config().KeywordOwnNick = false;
    s->Deliver(":bob!u@h PRIVMSG #a :ME again\r\n");
    EXPECT_EQ(attention.Waiting(), 0);
    EXPECT_EQ(ColourOf(view, QStringLiteral("ME")), QColor(255, 255, 255));
    attention.Apply(false, false);
    s->Deliver(":bob!u@h PRIVMSG me :quiet\r\n");
    EXPECT_EQ(attention.Waiting(), 0);
}

}  // namespace velmok::ui
