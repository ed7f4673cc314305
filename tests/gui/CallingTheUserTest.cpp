// Called while the window is in the background: the own nick marked, the
// notification and the tray mark, and the way back to the conversation.
#include <QDBusConnection>

#include "MainWindowFixture.h"
#include "platform/QtNotifier.h"
#include "ui/QtAttention.h"

namespace velmok::ui {

TEST_F(MainWindowFixture, TheNickOrAPrivateMessageInTheBackgroundNotifiesAndAClickBringsItsTabForward) {
    Start();
    QtAttention& attention = form->Attention();
    // A bus that is not there: nothing reaches the desktop running the tests.
    attention.SetNotifier(std::make_unique<platform::QtNotifier>(QDBusConnection(QStringLiteral("none"))));
    session::FakeClientSocket* s = Register(0);
    widgets::QtMessageView* view = form->ViewOf(0, Join(s, "#a"));
    auto colourOf = [&](const QString& part) {
        const int line = view->LineCount() - 1;
        return view->FormatAt(line, static_cast<int>(view->LineText(line).indexOf(part)))
            .foreground()
            .color();
    };
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    s->Deliver(":bob!u@h PRIVMSG #a :hello all\r\n:bob!u@h NOTICE me :a notice\r\n");
    EXPECT_EQ(attention.Waiting(), 0);
    s->Deliver(":bob!u@h PRIVMSG #a :ME: look\r\n");
    EXPECT_EQ(attention.Waiting(), 1);
    EXPECT_EQ(attention.LastTitle() + attention.LastBody(), QStringLiteral("#a (srv)<bob> ME: look"));
    EXPECT_EQ(colourOf(QStringLiteral("ME:")), QColor(255, 0, 0)) << "in the keyword font";
    EXPECT_EQ(colourOf(QStringLiteral("look")), QColor(255, 255, 255));
    s->Deliver(":bob!u@h PRIVMSG me :psst\r\n");
    EXPECT_EQ(attention.Waiting(), 2);
    EXPECT_EQ(attention.LastTitle(), QStringLiteral("bob (srv)"));
    form->ActivateWindow(0, session::ServerWindow);
    attention.Clicked(1);  // the second conversation that called
    EXPECT_EQ(form->CurrentWindow(), Engine().FindChannel(0, "bob"));

    QApplication::setActiveWindow(form.get());
    QCoreApplication::processEvents();
    EXPECT_EQ(attention.Waiting(), 0) << "back in the window, nothing waits";
    s->Deliver(":bob!u@h PRIVMSG me :seen\r\n");
    EXPECT_EQ(attention.Waiting(), 0);
    // Switched off, each on its own.
    QApplication::setActiveWindow(&elsewhere);
    form->Config().KeywordOwnNick = false;
    s->Deliver(":bob!u@h PRIVMSG #a :ME again\r\n");
    EXPECT_EQ(colourOf(QStringLiteral("ME")), QColor(255, 255, 255));
    attention.Apply(false, false);
    s->Deliver(":bob!u@h PRIVMSG me :quiet\r\n");
    EXPECT_EQ(attention.Waiting(), 0);
}

}  // namespace velmok::ui
