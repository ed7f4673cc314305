#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <deque>

#include "config/QtSettingsEditor.h"
#include "platform/QtDialogs.h"
#include "platform/QtText.h"
#include "support/qt/ScriptedDialogs.h"
#include "widgets/QtStyles.h"

namespace velmok::config {
namespace {

using base::FontKind;

using test::ScriptedDialogs;

QStringList TextsOf(const QList<QLabel*>& labels) {
    QStringList out;
    for (const QLabel* l : labels) out << l->text();
    return out;
}

QStringList TitlesOf(const QList<QGroupBox*>& groups) {
    QStringList out;
    for (const QGroupBox* g : groups) out << g->title();
    return out;
}

class FrmsetTest : public ::testing::Test {
protected:
    FrmsetTest() {
        settings.Bgcolor = 0x000080;  // dark red in 0x00BBGGRR
        settings.Keywords = {"alpha"};
        settings.Beep = 7;
        settings.MaxReply = 20;
        settings.Server_Position = 2;
        settings.LogPath = "/var/log/velmok";
        EventTrigger t;
        t.Name = "greet";
        t.Trigger = "JOIN";
        t.Command = "PRIVMSG %1 :hi";
        t.ExcludeOwn = true;
        settings.Events = {t};
    }

    std::unique_ptr<Tfrm_Set> Open() {
        auto dialog =
            std::make_unique<Tfrm_Set>(nullptr, settings, &dialogs, QStringLiteral("/home/u/velmok/"));
        // Neither platform dialog may ever come up in a test.
        dialog->pickFont = [](QWidget*, const QFont&) -> std::optional<QFont> {
            ADD_FAILURE() << "unexpected font dialog";
            return std::nullopt;
        };
        dialog->pickColour = [](QWidget*, const QColor&) -> std::optional<QColor> {
            ADD_FAILURE() << "unexpected colour dialog";
            return std::nullopt;
        };
        return dialog;
    }

    Settings settings;
    ScriptedDialogs dialogs;
};

TEST_F(FrmsetTest, PagesAndCaptionsInOrder) {
    auto d = Open();
    EXPECT_EQ(d->windowTitle(), QStringLiteral("詳細設定"));
    QStringList pages;
    for (int i = 0; i < d->PageControl->count(); ++i) pages << d->PageControl->tabText(i);
    EXPECT_EQ(pages, (QStringList{"フォント", "タブ", "CTCP", "防衛モード", "キーワード", "イベント",
                                  "その他の設定"}));

    EXPECT_EQ(TextsOf(d->PageControl->widget(0)->findChildren<QLabel*>()),
              (QStringList{"Nicklistウィンドウ：", "Privateメッセージ：", "Noticeメッセージ：",
                           "CTCPメッセージ：", "Commandメッセージ：", "Serverメッセージ：",
                           "Errorメッセージ：", "URL：", "入力ウィンドウ：", "DCC CHAT：", "背景色："}));
    EXPECT_EQ(d->Btn_Color->text(), QStringLiteral("Color"));
    for (QPushButton* b : d->Btn_Font) EXPECT_EQ(b->text(), QStringLiteral("Font"));

    EXPECT_EQ(TitlesOf(d->PageControl->widget(1)->findChildren<QGroupBox*>()),
              (QStringList{"Serverタブ", "タブ位置", "タブの複数行表示", "Channelタブ", "タブ位置",
                           "タブの複数行表示", "未読マーク"}));
    EXPECT_EQ(
        TitlesOf(d->PageControl->widget(2)->findChildren<QGroupBox*>()),
        (QStringList{"CLIENTINFO", "FINGER", "TIME", "USERINFO", "VERSION", "PING", "DCC SEND", "DCC CHAT"}));
    EXPECT_EQ(d->Rad_Answer[SettingsEditor::Ping]->text(), QStringLiteral("応答する"));
    EXPECT_EQ(d->Rad_NoAnswer[SettingsEditor::Ping]->text(), QStringLiteral("応答しない"));

    ASSERT_EQ(d->Cmb_MaxReply->count(), 20);
    EXPECT_EQ(d->Cmb_MaxReply->itemText(0), QStringLiteral("1"));
    EXPECT_EQ(d->Cmb_MaxReply->itemText(19), QStringLiteral("20"));
    EXPECT_EQ(d->Trb_Interval->maximum(), 1000);
    EXPECT_EQ(d->Trb_Interval->singleStep(), 10);
    EXPECT_EQ(d->Trb_Interval->tickInterval(), 100);

    EXPECT_EQ(TitlesOf(d->PageControl->widget(4)->findChildren<QGroupBox*>()),
              (QStringList{"キーワード検出するメッセージ", "キーワード検出時の動作"}));
    EXPECT_EQ(d->Rad_Beep[2]->text(), QStringLiteral("音は鳴らさない"));
    EXPECT_EQ(TextsOf(d->PageControl->widget(5)->findChildren<QLabel*>()),
              (QStringList{"Event List：", "イベント名：", "トリガーコマンド：", "プレフィックス：",
                           "パラメータ 1：", "パラメータ 2：", "パラメータ 3：", "パラメータ 4：",
                           "発行コマンド："}));
    EXPECT_EQ(QStringList({d->Btn_EventAdd->text(), d->Btn_EventUpdate->text(), d->Btn_EventDelete->text(),
                           d->Btn_EventUp->text(), d->Btn_EventDown->text()}),
              (QStringList{"追加→", "更新→", "削除", "↑", "↓"}));
    EXPECT_EQ(TitlesOf(d->PageControl->widget(6)->findChildren<QGroupBox*>()),
              (QStringList{"ログ", "メッセージ", "表示"}));
}

TEST_F(FrmsetTest, OpensShowingTheSettings) {
    auto d = Open();
    EXPECT_TRUE(d->Rad_Beep[2]->isChecked());  // Beep 7: no sound
    EXPECT_EQ(d->Cmb_MaxReply->currentIndex(), 19);
    EXPECT_TRUE(d->Rad_ServerPosition[2]->isChecked());
    EXPECT_TRUE(d->Rad_ChannelPosition[0]->isChecked());
    EXPECT_EQ(d->Edit_LogPath->text(), QStringLiteral("/var/log/velmok"));
    ASSERT_EQ(d->Liv_Event->count(), 1);
    EXPECT_EQ(d->Liv_Event->item(0)->text(), QStringLiteral("greet"));
    EXPECT_FALSE(d->Btn_KeywordAdd->isEnabled());
    EXPECT_FALSE(d->Btn_KeywordDelete->isEnabled());
    EXPECT_FALSE(d->Btn_EventAdd->isEnabled() || d->Btn_EventUpdate->isEnabled() ||
                 d->Btn_EventDelete->isEnabled());
    for (QTextEdit* preview : d->Rich_Font) {
        EXPECT_EQ(preview->toPlainText(), Tfrm_Set::kSample);
        EXPECT_TRUE(preview->isReadOnly());
        EXPECT_EQ(preview->palette().color(QPalette::Base), widgets::ColourOf(0x000080));
    }
}

TEST_F(FrmsetTest, KeywordButtonsReachTheEditorAndOkReturnsTheList) {
    auto d = Open();
    d->Edit_Keyword->setText(QStringLiteral("ベルモク"));
    ASSERT_TRUE(d->Btn_KeywordAdd->isEnabled());
    d->Btn_KeywordAdd->click();
    ASSERT_EQ(d->Lst_Keywords->count(), 2);
    EXPECT_EQ(d->Lst_Keywords->item(1)->text(), QStringLiteral("ベルモク"));
    d->Btn_KeywordAdd->click();
    EXPECT_EQ(dialogs.errors, std::vector<int>{33});
    EXPECT_EQ(d->Lst_Keywords->count(), 2);

    d->Lst_Keywords->setCurrentRow(0);
    ASSERT_TRUE(d->Btn_KeywordDelete->isEnabled());
    dialogs.answers = {false, true};
    d->Btn_KeywordDelete->click();
    EXPECT_EQ(d->Lst_Keywords->count(), 2);
    d->Btn_KeywordDelete->click();
    EXPECT_EQ(d->Lst_Keywords->count(), 1);
    EXPECT_FALSE(d->Btn_KeywordDelete->isEnabled());

    d->BitBtn_OK->click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->Result().Keywords, std::vector<std::string>{platform::ToSjis(QStringLiteral("ベルモク"))});
    EXPECT_EQ(d->Result().Beep, -1);
    EXPECT_EQ(d->Result().MaxReply, 20);
}

TEST_F(FrmsetTest, EnterInTheKeywordFieldAddsItAndKeepsTheDialogOpen) {
    auto d = Open();
    d->show();
    QApplication::setActiveWindow(d.get());
    QTest::keyClicks(d->Edit_Keyword, QStringLiteral("gamma"));
    QTest::keyClick(d->Edit_Keyword, Qt::Key_Return);
    ASSERT_EQ(d->Lst_Keywords->count(), 2);
    EXPECT_EQ(d->Lst_Keywords->item(1)->text(), QStringLiteral("gamma"));
    EXPECT_TRUE(d->isVisible() && d->result() == 0);
}

TEST_F(FrmsetTest, EventEditorFollowsTheFieldsAndMovesRows) {
    auto d = Open();
    d->Edit_EventName->setText(QStringLiteral("second"));
    d->Edit_Trigger->setText(QStringLiteral("PRIVMSG"));
    EXPECT_FALSE(d->Btn_EventAdd->isEnabled());
    d->Edit_Command->setText(QStringLiteral("NOTICE %n :ok"));
    ASSERT_TRUE(d->Btn_EventAdd->isEnabled());
    d->Btn_EventAdd->click();
    ASSERT_EQ(d->Liv_Event->count(), 2);
    EXPECT_EQ(d->Liv_Event->selectedItems().value(0), d->Liv_Event->item(1));
    EXPECT_TRUE(d->Btn_EventUp->isEnabled());
    EXPECT_FALSE(d->Btn_EventDown->isEnabled());

    d->Btn_EventUp->click();
    EXPECT_EQ(d->Liv_Event->item(0)->text(), QStringLiteral("second"));
    EXPECT_EQ(d->Liv_Event->currentRow(), 0);
    EXPECT_FALSE(d->Btn_EventUp->isEnabled());
    EXPECT_EQ(d->focusWidget(), d->Btn_EventDown);

    // Selecting the other row fills the fields from it, check box included.
    d->Liv_Event->setCurrentRow(1);
    EXPECT_EQ(d->Edit_EventName->text(), QStringLiteral("greet"));
    EXPECT_TRUE(d->Check_ExcludeOwn->isChecked());
    d->Liv_Event->clearSelection();
    EXPECT_TRUE(d->Edit_EventName->text().isEmpty());
    EXPECT_FALSE(d->Check_ExcludeOwn->isChecked());
    EXPECT_FALSE(d->Btn_EventUpdate->isEnabled() || d->Btn_EventDelete->isEnabled());

    d->Liv_Event->setCurrentRow(1);
    d->Edit_Command->setText(QStringLiteral("PRIVMSG %1 :welcome"));
    dialogs.answers = {true};
    d->Btn_EventUpdate->click();
    d->BitBtn_OK->click();
    const std::vector<EventTrigger>& events = d->Result().Events;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Name, "second");
    EXPECT_EQ(events[1].Command, "PRIVMSG %1 :welcome");
    EXPECT_TRUE(events[1].ExcludeOwn);
}

TEST_F(FrmsetTest, FontColourAndFolderPickersAreAnsweredByTheTest) {
    auto d = Open();
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setPointSize(20);
    chosen.setBold(true);
    QFont offered;
    d->pickFont = [&](QWidget*, const QFont& initial) -> std::optional<QFont> {
        offered = initial;
        return chosen;
    };
    d->Btn_Font[static_cast<int>(FontKind::Notice)]->click();
    EXPECT_EQ(offered.pointSize(), 11);
    QTextCursor cursor(d->Rich_Font[static_cast<int>(FontKind::Notice)]->document());
    cursor.movePosition(QTextCursor::NextCharacter);
    EXPECT_EQ(cursor.charFormat().font().pointSize(), 20);
    d->pickFont = [](QWidget*, const QFont&) -> std::optional<QFont> { return std::nullopt; };
    d->Btn_Font[static_cast<int>(FontKind::Error)]->click();  // cancelled: unchanged

    d->pickColour = [](QWidget*, const QColor&) -> std::optional<QColor> { return QColor(0, 0, 255); };
    d->Btn_Color->click();
    EXPECT_EQ(d->Rich_Font[0]->palette().color(QPalette::Base), QColor(0, 0, 255));
    // The keyword preview keeps the background it opened with.
    EXPECT_EQ(d->Rich_Font[static_cast<int>(FontKind::Keyword)]->palette().color(QPalette::Base),
              widgets::ColourOf(0x000080));

    dialogs.folder = "";
    d->Btn_Browse->click();
    EXPECT_EQ(d->Edit_LogPath->text(), QStringLiteral("/var/log/velmok"));
    dialogs.folder = "/srv/irc";
    d->Btn_Browse->click();
    EXPECT_EQ(d->Edit_LogPath->text(), QStringLiteral("/srv/irc"));
    EXPECT_EQ(dialogs.browsed, 2);

    d->BitBtn_OK->click();
    const Settings& r = d->Result();
    EXPECT_EQ(r.Bgcolor, 0xFF0000);
    const FontSetting& notice = r.Font(FontKind::Notice);
    EXPECT_EQ(notice.Name, "DejaVu Sans");
    EXPECT_EQ(notice.Size, 20);
    EXPECT_TRUE(notice.Bold);
    EXPECT_EQ(notice.Color, DefaultFont(FontKind::Notice).Color);  // the font dialog has no colour
    EXPECT_EQ(r.Font(FontKind::Error).Size, 11);
    EXPECT_EQ(r.LogPath, "/srv/irc");
}

TEST_F(FrmsetTest, EveryFontRowChoosesItsColourAndAFontChosenLaterKeepsIt) {
    auto d = Open();
    QColor offered;
    d->pickColour = [&](QWidget*, const QColor& initial) -> std::optional<QColor> {
        offered = initial;
        return QColor(0x12, 0x34, 0x56);
    };
    for (int k = 0; k < base::FontKindCount; ++k) d->Btn_FontColor[k]->click();
    EXPECT_EQ(offered,
              widgets::ColourOf(DefaultFont(FontKind::Keyword).Color));  // starts at the font's colour
    const int notice = static_cast<int>(FontKind::Notice);
    d->pickFont = [](QWidget*, const QFont&) -> std::optional<QFont> {
        return QFont(QStringLiteral("Mono"));
    };
    d->Btn_Font[notice]->click();
    QTextCursor cursor(d->Rich_Font[notice]->document());
    cursor.movePosition(QTextCursor::NextCharacter);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(0x12, 0x34, 0x56));

    d->BitBtn_OK->click();
    for (const FontSetting& f : d->Result().Fonts) EXPECT_EQ(f.Color, 0x563412);  // 0x00BBGGRR
    EXPECT_EQ(d->Result().Font(FontKind::Notice).Name, "Mono");
    EXPECT_EQ(d->Result().Bgcolor, settings.Bgcolor);  // the background is a colour of its own
}

TEST_F(FrmsetTest, OkWithAnEmptyLogFolderStoresTheSettingsFolder) {
    auto d = Open();
    d->Edit_LogPath->clear();
    d->BitBtn_OK->click();
    EXPECT_EQ(d->Result().LogPath, "/home/u/velmok");
}

TEST_F(FrmsetTest, CancelLeavesTheResultAsOpened) {
    auto d = Open();
    d->Edit_Keyword->setText(QStringLiteral("new"));
    d->Btn_KeywordAdd->click();
    d->Liv_Event->setCurrentRow(0);
    dialogs.answers = {true};
    d->Btn_EventDelete->click();
    ASSERT_EQ(d->Liv_Event->count(), 0);
    d->Check_LogOutput->setChecked(true);
    d->BitBtn_Cancel->click();
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(d->Result().Keywords, settings.Keywords);
    EXPECT_EQ(d->Result().Events, settings.Events);
    EXPECT_FALSE(d->Result().LogOutput);
}

TEST(FrmsetFontTest, FontFromQFontKeepsColourAndCharset) {
    FontSetting base;
    base.Color = 255;
    base.Charset = 128;
    base.Underline = true;
    QFont f(QStringLiteral("IPAGothic"));
    f.setPointSize(9);
    f.setItalic(true);
    const FontSetting out = FontFromQFont(base, f);
    EXPECT_EQ(out.Name, "IPAGothic");
    EXPECT_EQ(out.Size, 9);
    EXPECT_TRUE(out.Italic);
    EXPECT_FALSE(out.Underline);
    EXPECT_EQ(out.Color, 255);
    EXPECT_EQ(out.Charset, 128);
}

}  // namespace
}  // namespace velmok::config
