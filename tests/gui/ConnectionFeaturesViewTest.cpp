// The windows' side of the connection additions: Tab in the input line, the
// disconnect action during a reconnection, and the new tick boxes.
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "config/QtConnectEditor.h"
#include "config/QtSettingsEditor.h"
#include "support/qt/ModalDriver.h"

namespace velmok::ui {

namespace {

void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
}

}  // namespace

using ConnectionFeatures = MainWindowFixture;

TEST_F(ConnectionFeatures, TabCompletesNicksOfTheCurrentChannelAndOtherKeysEndTheCycle) {
    Start();
    session::FakeClientSocket* s = Register(0);
    Join(s, "#a");
    s->Deliver(":srv 353 me = #a :me @Alice +alfred\r\n:srv 366 me #a :End\r\n");
    QPlainTextEdit* input = form->InputLine();
    input->setPlainText(QStringLiteral("al"));
    input->moveCursor(QTextCursor::End);

    Press(input, Qt::Key_Tab);
    EXPECT_EQ(input->toPlainText(), QStringLiteral("alfred: "));
    Press(input, Qt::Key_Shift, Qt::ShiftModifier);  // pressing Shift alone keeps the cycle
    Press(input, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(input->toPlainText(), QStringLiteral("Alice: "));
    EXPECT_EQ(input->textCursor().position(), 7);

    Press(input, Qt::Key_H, Qt::NoModifier, QStringLiteral("h"));
    input->insertPlainText(QStringLiteral(" al"));
    Press(input, Qt::Key_Tab);
    EXPECT_EQ(input->toPlainText(), QStringLiteral("Alice: h alfred"));
    // Text before the word that Shift-JIS cannot hold, or holds differently, stays as typed.
    input->setPlainText(QStringLiteral("€〜 al"));
    input->moveCursor(QTextCursor::End);
    Press(input, Qt::Key_Tab);
    EXPECT_EQ(input->toPlainText(), QStringLiteral("€〜 alfred"));
    EXPECT_TRUE(s->sent.find("PRIVMSG") == std::string::npos) << "Tab sends nothing";
}

TEST_F(ConnectionFeatures, TheDisconnectActionStopsAReconnection) {
    Start();
    session::FakeClientSocket* s = Register(0);
    QAction* disconnect = form->ActionNamed(QStringLiteral("FileDisConnect"));
    s->FireDisconnect();
    ASSERT_TRUE(Engine().ReconnectPending(0));
    EXPECT_TRUE(disconnect->isEnabled());
    disconnect->trigger();
    EXPECT_FALSE(Engine().ReconnectPending(0));
    EXPECT_FALSE(disconnect->isEnabled());
}

TEST_F(ConnectionFeatures, TickBoxesCarryTlsAndReconnection) {
    Start();
    form->Config().ProfileText = "tls.net\r\n+6697\r\n\r\nn1\r\n\r\nu1\r\nr1\r\n\r\n";
    config::Tfrm_Connection editor(form.get(), form->Config().ProfileText, &dialogs);
    auto* tls = editor.findChild<QCheckBox*>(QStringLiteral("Check_Tls"));
    ASSERT_NE(tls, nullptr);
    EXPECT_EQ(tls->text(), QStringLiteral("TLS"));
    editor.Liv_ConnectionList->setCurrentItem(editor.Liv_ConnectionList->topLevelItem(0));
    EXPECT_TRUE(tls->isChecked());
    EXPECT_EQ(editor.Edit_Port->text(), QStringLiteral("6697"));

    config::Tfrm_Set set(form.get(), form->Config(), &dialogs, dir.path());
    auto* reconnect = set.findChild<QCheckBox*>(QStringLiteral("Check_AutoReconnect"));
    ASSERT_NE(reconnect, nullptr);
    EXPECT_TRUE(reconnect->isChecked());
    reconnect->setChecked(false);
    for (const char* name : {"Check_KeywordOwnNick", "Check_NotifyDesktop", "Check_NotifyTray"}) {
        auto* box = set.findChild<QCheckBox*>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        EXPECT_TRUE(box->isChecked()) << name;
        box->setChecked(false);
    }
    set.BitBtn_OKClick();
    EXPECT_FALSE(set.Result().AutoReconnect);
    EXPECT_FALSE(set.Result().KeywordOwnNick || set.Result().NotifyDesktop || set.Result().NotifyTray);
}

TEST_F(ConnectionFeatures, ConnectWithoutAProfileOpensTheEditorAndConnectsWithTheProfileMade) {
    Start();
    auto fill = [](config::Tfrm_Connection* e) {
        for (auto [edit, text] : {std::pair{e->Edit_Host, "127.0.0.1"},
                                  {e->Edit_Port, "6667"},
                                  {e->Edit_Nick, "velmo"},
                                  {e->Edit_User, "vu"},
                                  {e->Edit_RealName, "R"},
                                  {e->Edit_Channel, "#a"}})
            edit->setText(QString::fromLatin1(text));
        for (QPushButton* b : {e->Btn_ChannelList_Add, e->Btn_ConnectionoList_Add, e->Btn_OK}) b->click();
    };
    ASSERT_TRUE(test::WithModal<config::Tfrm_Connection>([&] { form->FileConnect(); }, fill));
    EXPECT_TRUE(dialogs.errors.empty()) << "no empty picker saying there is nothing to choose";
    ASSERT_TRUE(Engine().Session(0).InUse);
    EXPECT_EQ(Engine().Session(0).AutoJoin, "1 #a  ") << "the channel added starts ticked";
    EXPECT_NE(ReadFile(QStringLiteral("Connections")).indexOf("velmo"), -1);
}

}  // namespace velmok::ui
