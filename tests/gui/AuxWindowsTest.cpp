// The auxiliary windows as the main window opens them: the member lists'
// menu, the WHOIS and channel list windows and the channel properties dialog.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <functional>

#include "MainWindowFixture.h"
#include "inputbox/QtInputBox.h"
#include "platform/QtText.h"
#include "session/Codec.h"
#include "support/QtWait.h"
#include "support/qt/ModalDriver.h"
#include "windows/QtAuxWindows.h"
#include "windows/QtChannelInfo.h"
#include "windows/QtChannelList.h"
#include "windows/QtNickMenu.h"
#include "windows/QtWhois.h"

namespace velmok::windows {
namespace {

using test::WithModal;

const std::string kSjisChannel = "#\x8e\x47\x92\x6b";  // "#雑談" sent in Shift-JIS

class AuxWindows : public ui::MainWindowFixture {
protected:
    session::FakeClientSocket* socket = nullptr;
    int window = -1;

    void Begin() {
        Start();
        socket = Register(0);
        window = Join(socket, "#a");
        socket->Deliver(":srv 353 me = #a :@me bob carol dave\r\n:srv 366 me #a :End\r\n");
        for (auto* q :
             {&Engine().Slot(0).SendQueueA, &Engine().Slot(0).SendQueueB, &Engine().Slot(0).SendQueueC})
            q->clear();
    }
    QListWidget* Nicks() { return form->NickListOf(0, window); }
    void Select(std::initializer_list<const char*> nicks) {
        Nicks()->clearSelection();
        for (const char* n : nicks)
            Nicks()->findItems(QString::fromLatin1(n), Qt::MatchExactly).first()->setSelected(true);
    }
    QtNickMenu& Menu() { return form->AuxWindows().NickMenu(); }
    void DoubleClickNicks() {
        QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(5, 200), QPointF(5, 200), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Nicks()->viewport(), &event);
    }
};

TEST_F(AuxWindows, NickMenuIsBuiltOnEveryListAndSetUpForTheSelection) {
    Begin();
    EXPECT_EQ(Nicks()->contextMenuPolicy(), Qt::CustomContextMenu);
    QMenu* menu = Menu().Popup_NickWindow;
    QStringList top;
    for (QAction* a : menu->actions()) top << (a->isSeparator() ? QStringLiteral("|") : a->text());
    EXPECT_EQ(top.join(' '), QStringLiteral("WHOIS PRIV | MODE INVITE... KICK... | CTCP DCC"));
    EXPECT_EQ(Menu().Action(NickEntry::CTCP_USERINFO)->objectName(),
              QStringLiteral("Popup_NickWindow_CTCP_USERINFO"));
    EXPECT_EQ(Menu().Action(NickEntry::CTCP_USERINFO)->parent(), Menu().Action(NickEntry::CTCP)->menu());

    // The list's own signal opens it, set up for the selection in list order.
    Select({"dave", "bob"});
    emit Nicks()->customContextMenuRequested(QPoint(5, 5));
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    EXPECT_TRUE(Menu().Action(NickEntry::kick)->isEnabled());
    EXPECT_FALSE(Menu().Action(NickEntry::mode_p)->isVisible());
    Menu().Action(NickEntry::mode_Add_o)->trigger();
    EXPECT_EQ(Engine().Slot(0).SendQueueC, "MODE #a +oo bob dave\r\n7:");

    Nicks()->clearSelection();
    Menu().Prepare(0, window, Nicks());
    EXPECT_TRUE(Menu().Action(NickEntry::mode_l)->isVisible());
    EXPECT_EQ(Menu().Action(NickEntry::mode_l)->text(), QStringLiteral("+l..."));
    EXPECT_FALSE(Menu().Action(NickEntry::whois)->isEnabled());

    // An entry that asks runs the input box; what is typed there is sent.
    ASSERT_TRUE(WithModal<inputbox::Tfrm_InputBox>(
        [&] { Menu().Action(NickEntry::mode_l)->trigger(); },
        [](inputbox::Tfrm_InputBox* box) {
            EXPECT_EQ(box->windowTitle(), QStringLiteral("MODE +l"));
            EXPECT_EQ(box->Lbl_InputBox1->text(), QStringLiteral("Limit："));
            box->BitBtn_OK->click();  // empty: refused
            box->Edit_InputBox1->setText(QStringLiteral("25"));
            box->BitBtn_OK->click();
        }));
    EXPECT_EQ(dialogs.errors, std::vector<int>{11});
    EXPECT_EQ(Engine().Slot(0).SendQueueB, "MODE #a +l :25 \r\n4:");
}

TEST_F(AuxWindows, WhoisOpensOneWindowPerNickThatRefreshesAndTakesItsRow) {
    Begin();
    socket->Deliver(":srv 401 me ghost :No such nick\r\n:srv 318 me ghost :End\r\n");
    EXPECT_EQ(form->AuxWindows().WhoisWindow(0, "ghost"), nullptr);

    socket->Deliver(":srv 311 me bob bobu bob.example * :Bob\r\n:srv 313 me bob :is an IRC operator\r\n");
    socket->Deliver(":srv 319 me bob :@#a " + kSjisChannel + "\r\n:srv 318 me bob :End\r\n");
    QPointer<Tfrm_Whois> w = form->AuxWindows().WhoisWindow(0, "bob");
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("bob is an IRC operator"));
    EXPECT_EQ(w->Edit_Whois_Host->text(), QStringLiteral("bob.example"));
    ASSERT_EQ(w->List_Whois_Channels->count(), 2);
    EXPECT_EQ(w->List_Whois_Channels->item(1)->text(), QStringLiteral("#雑談 (Shift-JIS is included.)"));

    socket->Deliver(":srv 311 me bob bobu moved.example * :Bob\r\n:srv 318 me bob :End\r\n");
    EXPECT_EQ(form->AuxWindows().WhoisWindow(0, "bob"), w.data());
    EXPECT_EQ(w->Edit_Whois_Host->text(), QStringLiteral("moved.example"));
    EXPECT_EQ(form->findChildren<Tfrm_Whois*>().size(), 1);

    w->Btn_OK->click();
    EXPECT_TRUE(Engine().Liv_Whois.empty());
    // Asked again before the closed window is destroyed: a new window takes
    // the new row, and outlives the old one.
    socket->Deliver(":srv 311 me bob bobu again.example * :Bob\r\n:srv 318 me bob :End\r\n");
    test::WaitUntil([&] { return w.isNull(); }, 2000);
    EXPECT_TRUE(w.isNull());
    Tfrm_Whois* again = form->AuxWindows().WhoisWindow(0, "bob");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Edit_Whois_Host->text(), QStringLiteral("again.example"));
    EXPECT_EQ(Engine().Liv_Whois.at(0).Col[session::WhoisIsShow], "1");
}

TEST_F(AuxWindows, ChannelListWindowFillsJoinsOnDoubleClickAndResetsOnClose) {
    Begin();
    socket->Deliver(":srv 323 me :End of LIST\r\n");
    EXPECT_EQ(form->AuxWindows().ChannelList(0), nullptr);

    socket->Deliver(":srv 322 me #zeta 3 :z\r\n:srv 322 me " + kSjisChannel +
                    " 5 :t\r\n:srv 322 me #a 2 :\r\n");
    socket->Deliver(":srv 323 me :End of LIST\r\n");
    QPointer<Tfrm_List> list = form->AuxWindows().ChannelList(0);
    ASSERT_TRUE(list);
    ASSERT_TRUE(test::WaitUntil([&] { return list->RowCount() == 3; }, 2000));
    EXPECT_EQ(list->windowTitle(), QStringLiteral("Channel list - srv"));
    const QAbstractItemModel* model = list->Liv_List->model();
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Users"));
    EXPECT_EQ(model->index(1, 0).data().toString(), QStringLiteral("#雑談 (Shift-JIS is included.)"));

    auto doubleClickRow = [&](int row) {
        list->Liv_List->setCurrentIndex(model->index(row, 0));
        emit list->Liv_List->doubleClicked(model->index(row, 0));
    };
    doubleClickRow(2);  // joined already
    doubleClickRow(1);
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "JOIN " + kSjisChannel + "\r\n2:");

    // Closed, and a LIST answered before the window is destroyed: a new one.
    list->close();
    EXPECT_EQ(Engine().Slot(0).ListState, 0);
    socket->Deliver(":srv 322 me #b 1 :\r\n:srv 323 me :End of LIST\r\n");
    test::WaitUntil([&] { return list.isNull(); }, 2000);
    QPointer<Tfrm_List> again = form->AuxWindows().ChannelList(0);
    ASSERT_TRUE(again);
    EXPECT_TRUE(test::WaitUntil([&] { return again && again->RowCount() == 1; }, 2000));
}

TEST_F(AuxWindows, ChannelPropertiesOpenOnAnEmptyDoubleClickAndSendTheEdits) {
    Begin();
    socket->Deliver(":srv 324 me #a +sn\r\n");
    Nicks()->clearSelection();
    ASSERT_TRUE(WithModal<Tfrm_ChannelInfo>(
        [&] { DoubleClickNicks(); },
        [&](Tfrm_ChannelInfo* d) {
            EXPECT_EQ(Engine().Slot(0).SendQueueC, "MODE #a +b\r\n4:");
            EXPECT_EQ(Engine().BanListRequests, 1);
            EXPECT_EQ(d->windowTitle(), QStringLiteral("#a"));
            EXPECT_TRUE(d->Check_Mode_Secret->isChecked());
            EXPECT_FALSE(d->Edit_Limit->isEnabled());
            EXPECT_TRUE(d->Lbl_Unban->isHidden());

            socket->Deliver(":srv 367 me #a *!*@a.example x 1\r\n:srv 367 me #a *!*@b.example x 1\r\n");
            socket->Deliver(":srv 368 me #a :End\r\n");
            ASSERT_TRUE(test::WaitUntil([&] { return d->Liv_BanList->topLevelItemCount() == 2; }, 2000));
            EXPECT_FALSE(d->Lbl_Unban->isHidden());
            d->Liv_BanList->topLevelItem(1)->setCheckState(0, Qt::Checked);

            d->Check_Mode_Private->setChecked(true);  // clears +s
            EXPECT_FALSE(d->Check_Mode_Secret->isChecked());
            d->Check_Mode_Limit->setChecked(true);
            EXPECT_TRUE(d->Edit_Limit->isEnabled());
            d->Btn_OK->click();  // limit still empty
            EXPECT_EQ(dialogs.errors, std::vector<int>{11});
            EXPECT_TRUE(d->isVisible());
            d->Edit_Limit->setText(QStringLiteral("20"));
            d->Edit_Topic->setText(QStringLiteral("hello"));
            d->Btn_OK->click();
            EXPECT_FALSE(d->isVisible());
        }));
    EXPECT_EQ(Engine().Slot(0).SendQueueA,
              "TOPIC #a :hello\r\n2:MODE #a +p-s+l 20\r\n10:MODE #a -b *!*@b.example\r\n4:");
    EXPECT_TRUE(Engine().BanListReply.empty());
    EXPECT_TRUE(form->findChildren<Tfrm_ChannelInfo*>().isEmpty());

    // Cancel sends nothing; a non-operator sees the note in the caption.
    Engine().Slot(0).SendQueueA.clear();
    socket->Deliver(":x!u@h MODE #a -o me\r\n");
    ASSERT_TRUE(WithModal<Tfrm_ChannelInfo>([&] { DoubleClickNicks(); },
                                            [&](Tfrm_ChannelInfo* d) {
                                                EXPECT_EQ(d->windowTitle(),
                                                          QStringLiteral("#a (Not Channel Operator)"));
                                                EXPECT_FALSE(d->Check_Mode_Private->isEnabled());
                                                d->Edit_Topic->setText(QStringLiteral("other"));
                                                d->Btn_Cancel->click();
                                            }));
    EXPECT_EQ(Engine().Slot(0).SendQueueA, "");
}

}  // namespace
}  // namespace velmok::windows
