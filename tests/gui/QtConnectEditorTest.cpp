#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <deque>

#include "config/QtConnectEditor.h"
#include "config/QtSelectConnection.h"
#include "platform/QtDialogs.h"
#include "session/Engine.h"
#include "support/qt/ScriptedDialogs.h"

namespace velmok::config {

namespace {

using test::ScriptedDialogs;

const std::string kTwoProfiles =
    "a.net\r\n6667\r\nsecret\r\nn1\r\naway1\r\nu1\r\nReal 1\r\n1 #a  0 #b key \r\n"
    "b.net\r\n7000\r\n\r\nn2\r\n\r\nu2\r\nReal 2\r\n\r\n";

void SelectRow(QTreeWidget* list, int row) { list->setCurrentItem(list->topLevelItem(row)); }

}  // namespace

TEST(FrmConnection, ShowsItsControlsAndTheProfiles) {
    ScriptedDialogs dialogs;
    Tfrm_Connection form(nullptr, kTwoProfiles, &dialogs);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("接続の設定"));
    EXPECT_EQ(form.Btn_ConnectionoList_Add->text(), QStringLiteral("追加↓"));
    EXPECT_EQ(form.Btn_ConnectionList_Application->text(), QStringLiteral("更新↓"));
    EXPECT_EQ(form.Btn_ChannelList_Delete->text(), QStringLiteral("削除"));
    EXPECT_EQ(form.Btn_Cancel->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(form.Edit_Port->maxLength(), 10);
    EXPECT_EQ(form.Edit_Nick->maxLength(), 9);
    EXPECT_EQ(form.Edit_Pass->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form.Liv_ConnectionList->headerItem()->text(3), QStringLiteral("Nick(Away)"));
    EXPECT_EQ(form.Liv_ConnectionList->columnWidth(0), 144);
    EXPECT_EQ(form.Liv_ChannelList->columnWidth(0), 120);
    EXPECT_EQ(form.Liv_ChannelList->columnWidth(1), 69);
    EXPECT_TRUE(form.Liv_ChannelList->isHeaderHidden());

    ASSERT_EQ(form.Liv_ConnectionList->topLevelItemCount(), 2);
    const QTreeWidgetItem* row = form.Liv_ConnectionList->topLevelItem(0);
    EXPECT_EQ(row->text(0), QStringLiteral("a.net"));
    EXPECT_EQ(row->text(2), QStringLiteral("n1"));
    EXPECT_EQ(row->text(3), QStringLiteral("away1"));
    // Only the profile add button starts enabled.
    EXPECT_TRUE(form.Btn_ConnectionoList_Add->isEnabled());
    for (QPushButton* b : {form.Btn_ConnectionList_Application, form.Btn_ConnectionList_Delete,
                           form.Btn_ConnectionList_Up, form.Btn_ConnectionList_Down, form.Btn_ChannelList_Add,
                           form.Btn_ChannelList_Delete, form.Btn_ChannelList_Up, form.Btn_ChannelList_Down}) {
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    }
}

TEST(FrmConnection, SelectingARowFillsTheFieldsAndTicks) {
    ScriptedDialogs dialogs;
    Tfrm_Connection form(nullptr, kTwoProfiles, &dialogs);
    SelectRow(form.Liv_ConnectionList, 0);
    EXPECT_EQ(form.Edit_Host->text(), QStringLiteral("a.net"));
    EXPECT_EQ(form.Edit_Pass->text(), QStringLiteral("secret"));
    ASSERT_EQ(form.Liv_ChannelList->topLevelItemCount(), 2);
    EXPECT_EQ(form.Liv_ChannelList->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(form.Liv_ChannelList->topLevelItem(1)->text(1), QStringLiteral("key"));
    EXPECT_TRUE(form.Btn_ConnectionList_Delete->isEnabled());
    EXPECT_TRUE(form.Btn_ConnectionList_Down->isEnabled());
    EXPECT_FALSE(form.Btn_ConnectionList_Up->isEnabled());

    // Unticking in the list reaches the profile on update.
    form.Liv_ChannelList->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    dialogs.answers = {true};
    form.Btn_ConnectionList_Application->click();
    EXPECT_EQ(form.Editor().Profiles()[0].AutoJoin, "0 #a  0 #b key ");
}

TEST(FrmConnection, ChannelButtonsReachTheLogic) {
    ScriptedDialogs dialogs;
    Tfrm_Connection form(nullptr, "", &dialogs);
    form.Edit_Channel->setText(QStringLiteral("#a"));
    EXPECT_TRUE(form.Btn_ChannelList_Add->isEnabled());
    form.Btn_ChannelList_Add->click();
    form.Btn_ChannelList_Add->click();
    form.Edit_Channel->setText(QStringLiteral("#b"));
    form.Edit_ChannelKey->setText(QStringLiteral("a b"));
    form.Btn_ChannelList_Add->click();
    form.Edit_Channel->setText(QStringLiteral("#c,#d"));
    form.Btn_ChannelList_Add->click();
    EXPECT_EQ(dialogs.errors, (std::vector<int>{34, 27, 25}));
    form.Edit_Channel->setText(QStringLiteral("#b"));
    form.Edit_ChannelKey->setText(QStringLiteral("k"));
    form.Btn_ChannelList_Add->click();
    ASSERT_EQ(form.Liv_ChannelList->topLevelItemCount(), 2);

    SelectRow(form.Liv_ChannelList, 1);
    EXPECT_TRUE(form.Btn_ChannelList_Up->isEnabled());
    EXPECT_FALSE(form.Btn_ChannelList_Down->isEnabled());
    form.Btn_ChannelList_Up->click();
    EXPECT_EQ(form.Liv_ChannelList->topLevelItem(0)->text(0), QStringLiteral("#b"));
    EXPECT_TRUE(form.Liv_ChannelList->topLevelItem(0)->isSelected());
    EXPECT_FALSE(form.Btn_ChannelList_Up->isEnabled());
    EXPECT_TRUE(form.Btn_ChannelList_Down->isEnabled());

    form.Btn_ChannelList_Delete->click();
    EXPECT_EQ(form.Liv_ChannelList->topLevelItemCount(), 1);
    EXPECT_FALSE(form.Btn_ChannelList_Delete->isEnabled());
}

TEST(FrmConnection, AddUpdateDeleteAndOk) {
    ScriptedDialogs dialogs;
    Tfrm_Connection form(nullptr, kTwoProfiles, &dialogs);
    form.Edit_Host->setText(QStringLiteral("c.net"));
    form.Edit_Port->setText(QStringLiteral("6667"));
    form.Edit_Nick->setText(QStringLiteral("anonymous"));
    form.Edit_User->setText(QStringLiteral("user"));
    form.Edit_RealName->setText(QStringLiteral("実名"));
    form.Btn_ConnectionoList_Add->click();
    EXPECT_EQ(dialogs.errors, (std::vector<int>{21}));
    EXPECT_EQ(form.Liv_ConnectionList->topLevelItemCount(), 2);

    form.Edit_Nick->setText(QStringLiteral("nick"));
    form.Btn_ConnectionoList_Add->click();
    ASSERT_EQ(form.Liv_ConnectionList->topLevelItemCount(), 3);
    EXPECT_TRUE(form.Liv_ConnectionList->topLevelItem(2)->isSelected());
    EXPECT_EQ(form.Liv_ConnectionList->topLevelItem(2)->text(5), QStringLiteral("実名"));

    // Update: No keeps the row, Yes replaces it.
    form.Edit_Nick->setText(QStringLiteral("other"));
    dialogs.answers = {false};
    form.Btn_ConnectionList_Application->click();
    EXPECT_EQ(form.Liv_ConnectionList->topLevelItem(2)->text(2), QStringLiteral("nick"));
    dialogs.answers = {true};
    form.Btn_ConnectionList_Application->click();
    EXPECT_EQ(form.Liv_ConnectionList->topLevelItem(2)->text(2), QStringLiteral("other"));
    EXPECT_EQ(dialogs.questions,
              (std::vector<std::string>{ConnectEditor::kUpdateQuestion, ConnectEditor::kUpdateQuestion}));

    // Move it to the top; the focus goes to the down button.
    form.show();
    form.Btn_ConnectionList_Up->click();
    form.Btn_ConnectionList_Up->click();
    EXPECT_EQ(form.Liv_ConnectionList->topLevelItem(0)->text(0), QStringLiteral("c.net"));
    EXPECT_FALSE(form.Btn_ConnectionList_Up->isEnabled());
    EXPECT_EQ(form.focusWidget(), form.Btn_ConnectionList_Down);

    dialogs.answers = {true};
    form.Btn_ConnectionList_Delete->click();
    EXPECT_EQ(dialogs.questions.back(), ConnectEditor::kDeleteQuestion);
    EXPECT_EQ(form.Liv_ConnectionList->topLevelItemCount(), 2);
    EXPECT_FALSE(form.Btn_ConnectionList_Delete->isEnabled());
    EXPECT_FALSE(form.Btn_ConnectionList_Application->isEnabled());

    // Until OK the caller still sees its own text.
    EXPECT_EQ(form.ProfileText(), kTwoProfiles);
    SelectRow(form.Liv_ConnectionList, 1);
    form.Btn_ConnectionList_Up->click();
    form.Btn_OK->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.ProfileText(),
              "b.net\r\n7000\r\n\r\nn2\r\n\r\nu2\r\nReal 2\r\n\r\n"
              "a.net\r\n6667\r\nsecret\r\nn1\r\naway1\r\nu1\r\nReal 1\r\n1 #a  0 #b key \r\n");
}

TEST(FrmConnection, CancelKeepsTheText) {
    ScriptedDialogs dialogs;
    Tfrm_Connection form(nullptr, kTwoProfiles, &dialogs);
    SelectRow(form.Liv_ConnectionList, 0);
    dialogs.answers = {true};
    form.Btn_ConnectionList_Delete->click();
    form.Btn_Cancel->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.ProfileText(), kTwoProfiles);
}

TEST(FrmSelConnect, ListsProfilesAndFillsTheSlotOnOk) {
    ScriptedDialogs dialogs;
    session::ServerSession slot;
    Tfrm_SelConnect picker(nullptr, kTwoProfiles, slot, &dialogs);
    EXPECT_EQ(picker.windowTitle(), QStringLiteral("接続の選択"));
    EXPECT_FALSE(picker.Cmb_ConnectList->isEditable());
    EXPECT_TRUE(picker.Btn_OK->isDefault());
    ASSERT_EQ(picker.Cmb_ConnectList->count(), 2);
    EXPECT_EQ(picker.Cmb_ConnectList->itemText(1), QStringLiteral("b.net:7000"));
    EXPECT_EQ(picker.Cmb_ConnectList->currentIndex(), 0);
    EXPECT_EQ(picker.Lbl_AwayNick->text(), QStringLiteral("away1"));

    picker.Cmb_ConnectList->setCurrentIndex(1);
    EXPECT_EQ(picker.Lbl_Host->text(), QStringLiteral("b.net"));
    EXPECT_EQ(picker.Lbl_RealName->text(), QStringLiteral("Real 2"));
    picker.show();
    picker.Btn_OK->click();
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(slot.ServerName, "b.net");
    EXPECT_EQ(slot.Port, 7000);
    EXPECT_EQ(picker.ChosenProfile().Nick, "n2");
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST(FrmSelConnect, EmptyListShowsMessageFiveAndStaysOpen) {
    ScriptedDialogs dialogs;
    Tfrm_SelConnect picker(nullptr, "", &dialogs);
    picker.show();
    picker.Btn_OK->click();
    EXPECT_EQ(dialogs.errors, (std::vector<int>{5}));
    EXPECT_TRUE(picker.isVisible());
    picker.Btn_Cancel->click();
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(picker.result(), QDialog::Rejected);
}

}  // namespace velmok::config
