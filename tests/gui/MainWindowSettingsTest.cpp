// The main window with its settings: the settings dialog, saving, geometry.
#include <sys/stat.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTextDocument>
#include <QTimer>
#include <filesystem>

#include "MainWindowFixture.h"
#include "config/Iniaccess.h"
#include "config/QtConnectEditor.h"
#include "config/QtSettingsEditor.h"
#include "platform/QtText.h"
#include "ui/QtEventLog.h"

namespace velmok::ui {

namespace {

class MainWindowSettings : public MainWindowFixture {
protected:
    // Opens the settings dialog from the menu and lets script act on it; the
    // script ends it with OK or Cancel.
    void InSettingsDialog(const std::function<void(config::Tfrm_Set&)>& script) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<config::Tfrm_Set*>(QApplication::activeModalWidget());
            if (!dialog) return;
            seen = true;
            dialog->pickFont = [](QWidget*, const QFont&) -> std::optional<QFont> { return std::nullopt; };
            dialog->pickColour = [](QWidget*, const QColor&) -> std::optional<QColor> {
                return std::nullopt;
            };
            script(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        form->ActionNamed(QStringLiteral("mnu_DetailSettings"))->trigger();
        EXPECT_TRUE(seen) << "no settings dialog came up";
    }
    std::string Sjis(const QString& name) const { return platform::ToSjis(PathOf(name)); }
};

QFont PickedFont(int points) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSize(points);
    return f;
}

}  // namespace

TEST_F(MainWindowSettings, NewFontsAndColoursApplyToNewLinesOnlyAndAreSaved) {
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    s->Deliver(":bob!u@h PRIVMSG #a :before\r\n");
    widgets::QtMessageView* view = form->ViewOf(0, a);
    const int old = view->LineCount() - 1;
    ASSERT_EQ(view->FormatAt(old, 8).font().pointSize(), 11);

    InSettingsDialog([](config::Tfrm_Set& d) {
        d.pickFont = [](QWidget*, const QFont&) -> std::optional<QFont> { return PickedFont(20); };
        d.pickColour = [](QWidget*, const QColor&) -> std::optional<QColor> { return QColor(255, 0, 0); };
        const int k = static_cast<int>(session::FontKind::Private);
        d.Btn_Font[k]->click();
        d.Btn_FontColor[k]->click();
        d.BitBtn_OK->click();
    });
    s->Deliver(":bob!u@h PRIVMSG #a :after\r\n");
    const int fresh = view->LineCount() - 1;
    EXPECT_EQ(view->FormatAt(fresh, 8).font().pointSize(), 20);
    EXPECT_EQ(view->FormatAt(fresh, 8).foreground().color(), QColor(255, 0, 0));
    // The line already shown keeps its font and colour.
    EXPECT_EQ(view->FormatAt(old, 8).font().pointSize(), 11);
    EXPECT_EQ(view->FormatAt(old, 8).foreground().color(), QColor(255, 255, 255));

    s->FireDisconnect();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form->close());
    config::IniFile ini(Sjis(QStringLiteral("velmok.ini")));
    EXPECT_EQ(ini.ReadInteger("Font_Private", "Color", -1), 255);
    EXPECT_EQ(ini.ReadInteger("Font_Private", "Size", -1), 20);
}

TEST_F(MainWindowSettings, CancelAfterEditsChangesNeitherTheSettingsNorTheFiles) {
    // LF line ends: any save, even of the same triggers, would show as CR LF.
    const QByteArray events = "greet\nJOIN\n\n\n\n\n\n0\nPRIVMSG %1 :hi\n";
    WriteFile("Events", events);
    WriteFile("velmok.ini", "[Keyword]\r\nBeep=48\r\n");
    Start();
    const config::Settings before = form->Config();
    InSettingsDialog([](config::Tfrm_Set& d) {
        d.Edit_Keyword->setText(QStringLiteral("new"));
        d.Btn_KeywordAdd->click();
        d.Liv_Event->setCurrentRow(0);
        d.Edit_Command->setText(QStringLiteral("QUIT"));
        d.Rad_Beep[2]->setChecked(true);
        d.Spin_MaxLines->setValue(500);
        d.BitBtn_Cancel->click();
    });
    const config::Settings& after = form->Config();
    EXPECT_EQ(after.Keywords, before.Keywords);
    EXPECT_EQ(after.Events, before.Events);
    EXPECT_EQ(after.Beep, 48);
    EXPECT_EQ(after.MaxLines, 10000);
    ASSERT_EQ(after.Events.size(), 1u);
    EXPECT_EQ(ReadFile("Events"), events);
    EXPECT_EQ(form->AllWindow()->MaxLines(), 10000);
}

TEST_F(MainWindowSettings, ViewsAndTheEventLogKeepTheConfiguredNumberOfLines) {
    WriteFile("velmok.ini", "[Event]\r\nLog=1\r\n[Window]\r\nMaxLines=100\r\n");
    Start();
    session::FakeClientSocket* s = Register(0);
    const int a = Join(s, "#a");
    Join(s, "#b");  // #a in the background: its lines go to the all-window too
    for (int i = 0; i < 150; ++i) s->Deliver(":bob!u@h PRIVMSG #a :" + std::to_string(i) + "\r\n");
    widgets::QtMessageView* view = form->ViewOf(0, a);
    ASSERT_EQ(view->LineCount(), 100);
    EXPECT_TRUE(view->LineText(99).endsWith(QStringLiteral("<bob> 149")));
    EXPECT_EQ(form->AllWindow()->LineCount(), 100);
    auto* log = form->findChild<Tfrm_EventLog*>();
    ASSERT_NE(log, nullptr);
    for (int i = 0; i < 150; ++i) form->WriteEventLog("trace " + std::to_string(i));
    EXPECT_EQ(log->View()->document()->blockCount(), 100);

    // A new number from the dialog applies at once.
    InSettingsDialog([](config::Tfrm_Set& d) {
        EXPECT_EQ(d.Spin_MaxLines->value(), 100);
        d.Spin_MaxLines->setValue(120);
        d.BitBtn_OK->click();
    });
    EXPECT_EQ(view->MaxLines(), 120);
    EXPECT_EQ(form->Config().MaxLines, 120);
}

TEST_F(MainWindowSettings, FailedSavesAreReportedNamingTheFile) {
    // The INI cannot be read, so it must not be replaced; "Events" cannot be replaced.
    ASSERT_EQ(::mkfifo(PathOf("velmok.ini").toLocal8Bit().constData(), 0600), 0);
    std::filesystem::create_directory(Sjis(QStringLiteral("Events.tmp")));
    Start();

    InSettingsDialog([](config::Tfrm_Set& d) { d.BitBtn_OK->click(); });
    EXPECT_EQ(dialogs.saveErrors, std::vector<std::string>{Sjis(QStringLiteral("Events"))});

    std::filesystem::create_directory(Sjis(QStringLiteral("Connections.tmp")));
    QTimer::singleShot(0, [] {
        if (auto* editor = qobject_cast<config::Tfrm_Connection*>(QApplication::activeModalWidget()))
            editor->accept();
    });
    form->ConnectionSettings();
    ASSERT_EQ(dialogs.saveErrors.size(), 2u);
    EXPECT_EQ(dialogs.saveErrors[1], Sjis(QStringLiteral("Connections")));

    dialogs.saveErrors.clear();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(dialogs.saveErrors,
              (std::vector<std::string>{Sjis(QStringLiteral("velmok.ini")), Sjis(QStringLiteral("Events"))}));
    EXPECT_TRUE(std::filesystem::is_fifo(Sjis(QStringLiteral("velmok.ini"))));
}

TEST_F(MainWindowSettings, JapaneseNamedSettingsAndLogFoldersAreUsedAsNamed) {
    const QString settings = PathOf(QStringLiteral("設定"));
    const QString logs = PathOf(QStringLiteral("ログ"));
    ASSERT_TRUE(QDir().mkpath(settings) && QDir().mkpath(logs));
    const QByteArray profile = "127.0.0.1\r\n6667\r\n\r\nvelmo\r\n\r\nu\r\nr\r\n1 #a  \r\n";
    WriteFile(QStringLiteral("設定/Connections"), profile);
    const QByteArray logPath = "Path=" + QByteArray::fromStdString(platform::ToSjis(logs)) + "\r\n";
    WriteFile(QStringLiteral("設定/velmok.ini"), "[Log]\r\nOutput=1\r\n" + logPath);
    Start(settings);
    EXPECT_EQ(form->Config().ProfileText, profile.toStdString());
    session::FakeClientSocket* s = Register(0);
    Join(s, "#a");
    s->Deliver(":bob!u@h PRIVMSG #a :hi\r\n");
    EXPECT_TRUE(QFile::exists(QDir(logs).filePath(QStringLiteral("srv-#a_20240102.log"))));
    form->close();  // QUIT first; the save follows the server's drop
    s->FireDisconnect();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form->IsClosed());
    EXPECT_TRUE(ReadFile(QStringLiteral("設定/velmok.ini")).contains(logPath));
    form.reset();

    // A name Shift-JIS cannot spell is a folder like any other.
    ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("cfé"))));
    Start(PathOf(QStringLiteral("cfé")));
    // Its log folder by default: OK takes it as it is.
    InSettingsDialog([](config::Tfrm_Set& d) { d.BitBtn_OK->click(); });
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_TRUE(form->close());
    EXPECT_TRUE(ReadFile(QStringLiteral("cfé/velmok.ini")).contains("[Log]\r\nOutput=0\r\nPath=\r\n"));
    EXPECT_FALSE(QFile::exists(PathOf(QStringLiteral("cf"))));
}

TEST_F(MainWindowSettings, OkRefusesWhatCannotBeKeptAndWritesBackOnlyWhatTheDialogEdits) {
    Start();
    const std::string profile = "h\r\n6667\r\n\r\nvelmo\r\n\r\nu\r\nr\r\n\r\n";
    InSettingsDialog([&](config::Tfrm_Set& d) {
        // Chosen in the folder picker: Shift-JIS cannot spell "é".
        dialogs.folder = platform::ToLocalPath(PathOf(QStringLiteral("cfé")));
        d.Btn_Browse->click();
        EXPECT_EQ(d.Edit_LogPath->text(), dir.path());
        // A profile saved meanwhile, as a handed-over irc:// link does.
        form->Config().ProfileText = profile;
        d.Edit_Message[config::SettingsEditor::Quit]->setText(QStringLiteral("bye €"));
        d.BitBtn_OK->click();
        EXPECT_TRUE(d.isVisible());
        d.Edit_Message[config::SettingsEditor::Quit]->setText(QStringLiteral("bye〜"));
        dialogs.folder = platform::ToLocalPath(PathOf(QStringLiteral("ログ")));
        d.Btn_Browse->click();
        d.BitBtn_OK->click();
    });
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(
        dialogs.messages[0].startsWith(QStringLiteral("このフォルダ名はShift-JISで保存できないため")));
    EXPECT_EQ(dialogs.messages[1], QStringLiteral("QUIT：\n送信できない文字が含まれています：U+20AC"));
    EXPECT_EQ(form->Config().ProfileText, profile);
    EXPECT_EQ(form->Config().QuitMessage, "bye\x81\x60");
    EXPECT_EQ(form->Config().LogPath, platform::ToLocalPath(PathOf(QStringLiteral("ログ"))));
}

TEST_F(MainWindowSettings, AFirstStartFitsTheScreenAndARestartPutsTheWindowExactlyWhereItWas) {
    Start();
    const QRect desk = form->screen()->availableGeometry();  // no geometry saved yet: 2/3, centred
    EXPECT_EQ(QRect(form->pos(), form->size()), QRect(desk.x() + (desk.width() - desk.width() * 2 / 3) / 2,
                                                      desk.y() + (desk.height() - desk.height() * 2 / 3) / 2,
                                                      desk.width() * 2 / 3, desk.height() * 2 / 3));
    form->move(120, 90);
    form->resize(640, 480);
    QCoreApplication::processEvents();
    const QRect frame = form->frameGeometry();
    const QRect inside = form->geometry();
    ASSERT_TRUE(form->close());
    form.reset();

    for (int restart = 0; restart < 2; ++restart) {
        Start();
        QCoreApplication::processEvents();
        EXPECT_EQ(form->frameGeometry(), frame) << "restart " << restart;
        EXPECT_EQ(form->geometry(), inside) << "restart " << restart;
        ASSERT_TRUE(form->close());
        form.reset();
    }
}

}  // namespace velmok::ui
