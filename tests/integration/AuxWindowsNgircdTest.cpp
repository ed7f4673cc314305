// The main window's member-list menu and auxiliary windows against a real
// ngircd, with a second client on the other side to see what arrives.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>
#include <memory>

#include "inputbox/QtInputBox.h"
#include "inputbox/QtPromptBoxes.h"
#include "support/qt/EngineClient.h"
#include "support/qt/ModalDriver.h"
#include "support/qt/ScriptedDialogs.h"
#include "ui/TSDIAppForm.h"
#include "windows/QtAuxWindows.h"
#include "windows/QtChannelInfo.h"
#include "windows/QtChannelList.h"
#include "windows/QtNickMenu.h"
#include "windows/QtWhois.h"

namespace velmok::windows {
namespace {

using test::EngineClient;

// alice is the real main window on Qt sockets; bob an engine of his own.
class AuxWindowsNgircdTest : public ::testing::Test {
protected:
    // The lines go out faster than the send timer would let them, and the
    // server slows a client that floods it: allow for its penalty.
    static constexpr int kWait = 20000;
    test::NgircdServer server;
    QTemporaryDir dir;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<ui::TSDIAppForm> form;
    std::unique_ptr<EngineClient> bob;

    void SetUp() override {
        if (!test::NgircdServer::Available()) GTEST_SKIP() << "ngircd is not installed";
        ASSERT_TRUE(server.Start()) << server.Error();
        QApplication::setQuitOnLastWindowClosed(false);
        form = std::make_unique<ui::TSDIAppForm>(dir.path());
        form->SetDialogs(&dialogs);
        form->FormShow();
        session::ServerSession& s = Alice().Session(0);
        s.ServerName = "127.0.0.1";
        s.Port = server.Port();
        s.Nick = "alice";
        s.UserName = "alice";
        s.RealName = "Alice";
        bob = std::make_unique<EngineClient>("bob", server.Port());
        ASSERT_TRUE(Alice().ConnectSession(0));
        ASSERT_TRUE(bob->engine.ConnectSession(0));
        ASSERT_TRUE(Wait([&] { return Alice().Slot(0).Registered && bob->engine.Slot(0).Registered; }))
            << server.Log();
    }
    void TearDown() override {
        form.reset();
        QCoreApplication::processEvents();
    }

    session::Engine& Alice() { return form->Engine(); }
    // Runs the event loop, standing in for both send timers, until done holds.
    bool Wait(const std::function<bool()>& done) {
        return test::WaitUntil(
            [&] {
                Alice().DrainSendQueues();
                if (bob) bob->engine.DrainSendQueues();
                return done();
            },
            kWait);
    }
    void Type(const std::string& line) { form->ProcessTyped(line); }
    int AliceJoins(const std::string& channel) {
        Type("/JOIN " + channel);
        Wait([&] { return Alice().FindChannel(0, channel) >= 0; });
        return Alice().FindChannel(0, channel);
    }
    int BobJoins(const std::string& channel) {
        bob->Send("JOIN " + channel);
        Wait([&] { return bob->engine.FindChannel(0, channel) >= 0; });
        return bob->engine.FindChannel(0, channel);
    }
    QListWidget* Nicks(int window) { return form->NickListOf(0, window); }
    void SelectOnly(int window, const QString& caption) {
        Nicks(window)->clearSelection();
        for (QListWidgetItem* item : Nicks(window)->findItems(caption, Qt::MatchExactly))
            item->setSelected(true);
    }
    void Choose(int window, NickEntry entry) {
        QtNickMenu& menu = form->AuxWindows().NickMenu();
        menu.Prepare(0, window, Nicks(window));
        menu.Action(entry)->trigger();
    }
    bool BobSaw(int window, const std::string& start) { return !bob->LineStarting(window, start).empty(); }
};

TEST_F(AuxWindowsNgircdTest, WhoisFromTheMemberListFillsTheWindowWithTheRealAnswer) {
    const int a = AliceJoins("#velmok");
    BobJoins("#velmok");
    BobJoins("#second");
    ASSERT_TRUE(Wait([&] { return Nicks(a)->count() == 2; }));

    SelectOnly(a, QStringLiteral("bob"));
    Choose(a, NickEntry::whois);
    ASSERT_TRUE(Wait([&] { return form->AuxWindows().WhoisWindow(0, "bob") != nullptr; })) << server.Log();
    Tfrm_Whois* w = form->AuxWindows().WhoisWindow(0, "bob");
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->Edit_Whois_User->text().endsWith(QStringLiteral("bob")))
        << w->Edit_Whois_User->text().toStdString();
    EXPECT_FALSE(w->Edit_Whois_Host->text().isEmpty());
    EXPECT_EQ(w->Edit_Whois_Real->text(), QStringLiteral("Velmok test"));
    EXPECT_EQ(w->Edit_Whois_Server->text(), QString::fromLatin1(test::NgircdServer::kServerName));
    QStringList channels;
    for (int i = 0; i < w->List_Whois_Channels->count(); ++i)
        channels << w->List_Whois_Channels->item(i)->text();
    EXPECT_TRUE(channels.contains(QStringLiteral("#velmok"))) << channels.join(' ').toStdString();
    EXPECT_TRUE(channels.contains(QStringLiteral("@#second"))) << channels.join(' ').toStdString();

    QPointer<Tfrm_Whois> guard(w);
    w->close();
    test::WaitUntil([&] { return guard.isNull(); }, 2000);
    EXPECT_TRUE(Alice().Liv_Whois.empty());
}

// A WHOIS answer that comes while an invitation box is up opens its window
// over the box, and the Escape meant for the box closes the window. Whoever
// takes which key, the next answer for the nick must open its window.
TEST_F(AuxWindowsNgircdTest, EveryWhoisAnswerOpensItsWindowHoweverTheLastWentAfterAnInvitation) {
    BobJoins("#room");
    auto whois = [&] { return form->AuxWindows().WhoisWindow(0, "bob"); };
    auto escape = [](QWidget* w) {
        QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Escape);
    };
    for (int round = 0; round < 6; ++round) {
        bob->Send("INVITE alice #room");
        ASSERT_TRUE(Wait([&] { return form->PromptBoxes().OpenCount() == 1; })) << server.Log();
        if (round % 2 == 0) {
            Type("/WHOIS bob");
            ASSERT_TRUE(Wait([&] { return whois() != nullptr; })) << server.Log();
        }
        // Escape on the window in front, then on whichever of the two is left.
        escape(QApplication::activeWindow());
        for (auto* box : form->findChildren<inputbox::Tfrm_InputBox*>())
            if (box->isVisible()) escape(box);
        if (whois()) escape(whois());
        ASSERT_TRUE(Wait([&] { return form->PromptBoxes().OpenCount() == 0 && !whois(); }));
        Type("/WHOIS bob");
        ASSERT_TRUE(Wait([&] { return whois() && whois()->isVisible(); })) << "round " << round;
        escape(whois());
    }
    EXPECT_TRUE(Wait([&] { return Alice().Liv_Whois.empty(); }));
}

TEST_F(AuxWindowsNgircdTest, ListFillsTheWindowAndADoubleClickJoins) {
    for (const char* c : {"#one", "#two", "#three"}) {
        BobJoins(c);
        bob->Send(std::string("TOPIC ") + c + " :about " + (c + 1));
    }
    ASSERT_TRUE(Wait([&] { return BobSaw(bob->engine.FindChannel(0, "#three"), "bob TOPIC"); }));

    form->CommandListClick();
    ASSERT_TRUE(Wait([&] {
        Tfrm_List* l = form->AuxWindows().ChannelList(0);
        return l && l->RowCount() >= 3;
    })) << server.Log();
    Tfrm_List* list = form->AuxWindows().ChannelList(0);
    const auto& names = list->List_List();
    const auto it = std::find(names.begin(), names.end(), "#two");
    ASSERT_NE(it, names.end());
    const QModelIndex row = list->Liv_List->model()->index(static_cast<int>(it - names.begin()), 0);
    EXPECT_EQ(row.siblingAtColumn(1).data().toString(), QStringLiteral("1"));
    EXPECT_EQ(row.siblingAtColumn(2).data().toString(), QStringLiteral("about two"));

    list->Liv_List->setCurrentIndex(row);
    emit list->Liv_List->doubleClicked(row);
    ASSERT_TRUE(Wait([&] { return Alice().FindChannel(0, "#two") >= 0; }));
    EXPECT_TRUE(Wait([&] { return BobSaw(bob->engine.FindChannel(0, "#two"), "alice JOIN"); }));
}

TEST_F(AuxWindowsNgircdTest, ChannelPropertiesAndTheMenuChangeWhatTheServerTellsOthers) {
    const int a = AliceJoins("#props");
    const int b = BobJoins("#props");
    ASSERT_TRUE(Wait([&] { return Nicks(a)->count() == 2; }));

    // The menu's ban looks bob's host up first, then bans it.
    SelectOnly(a, QStringLiteral("bob"));
    Choose(a, NickEntry::mode_Add_b);
    ASSERT_TRUE(Wait([&] { return BobSaw(b, "alice MODE +b *!*@"); })) << server.Log();
    EXPECT_TRUE(Wait([&] { return Alice().PendingBans.empty(); }));  // the end of WHO took it

    // The dialog shows that ban from the server, then sets topic and limit.
    Nicks(a)->clearSelection();
    ASSERT_TRUE(test::WithModal<Tfrm_ChannelInfo>(
        [&] { form->AuxWindows().OpenChannelInfo(0, a); },
        [&](Tfrm_ChannelInfo* d) {
            ASSERT_TRUE(Wait([&] { return d->Liv_BanList->topLevelItemCount() == 1; })) << server.Log();
            EXPECT_TRUE(d->Liv_BanList->topLevelItem(0)->text(0).startsWith(QStringLiteral("*!*@")));
            d->Edit_Topic->setText(QStringLiteral("properties test"));
            d->Check_Mode_Limit->setChecked(true);
            d->Edit_Limit->setText(QStringLiteral("20"));
            d->Btn_OK->click();
        },
        kWait));
    ASSERT_TRUE(Wait([&] { return bob->engine.Channel(0, b).Topic == "properties test"; })) << server.Log();
    ASSERT_TRUE(Wait([&] { return bob->engine.Channel(0, b).Limit == "20"; })) << server.Log();

    // bob asks the server for the bans himself and sees the one the menu set.
    bob->engine.BanListReply.clear();
    bob->Send("MODE #props +b");
    EXPECT_TRUE(Wait([&] { return bob->engine.BanListReply.rfind("#props\r\n*!*@", 0) == 0; }))
        << server.Log();

    // Ticking the ban in the dialog lifts it.
    ASSERT_TRUE(test::WithModal<Tfrm_ChannelInfo>(
        [&] { form->AuxWindows().OpenChannelInfo(0, a); },
        [&](Tfrm_ChannelInfo* d) {
            ASSERT_TRUE(Wait([&] { return d->Liv_BanList->topLevelItemCount() == 1; }));
            EXPECT_EQ(d->Check_Mode_Limit->isChecked(), true);
            d->Liv_BanList->topLevelItem(0)->setCheckState(0, Qt::Checked);
            d->Btn_OK->click();
        },
        kWait));
    EXPECT_TRUE(Wait([&] { return BobSaw(b, "alice MODE -b *!*@"); })) << server.Log();
}

}  // namespace
}  // namespace velmok::windows
