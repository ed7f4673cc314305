#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "config/Error.h"
#include "platform/Browseforfolder.h"
#include "platform/QtDialogs.h"
#include "platform/QtErrorBox.h"
#include "platform/QtText.h"

namespace velmok::platform {
namespace {

// Acts on the next modal window once the dialog under test is up. Each
// timer holds its own copy of the poll, so nothing outlives the last one.
struct ModalPoll {
    std::function<void(QWidget*)> act;
    void operator()() const {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            act(modal);
        } else {
            QTimer::singleShot(10, *this);
        }
    }
};

void WhenModal(std::function<void(QWidget*)> act) { QTimer::singleShot(10, ModalPoll{std::move(act)}); }

TEST(QtErrorBoxTest, ShowsTheNumberedTextWithTitleStopIconAndOneOkButton) {
    const auto box = MakeErrorBox(nullptr, 31);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Velmok 2.2"));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->text(), QStringLiteral("タブ数が上限に達したため、タブを開けません。"));
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    // Spacing of the fixed texts is kept as it is.
    EXPECT_EQ(MakeErrorBox(nullptr, 18)->text(), QStringLiteral("Userに2 バイト文字は使用できません。"));
    // A failed save names its file, as the file system spells it, in the same box.
    const auto save = MakeErrorBox(nullptr, SaveErrorText("/home/u/日cfé/velmok.ini"));
    EXPECT_EQ(save->text(), QStringLiteral("ファイルに保存できませんでした。\n/home/u/日cfé/velmok.ini"));
    EXPECT_EQ(save->icon(), QMessageBox::Critical);
}

TEST(QtErrorBoxTest, ShowErrorIsModalAndReturnsWhenClosed) {
    QString seenText;
    bool wasModal = false;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        wasModal = box->isModal();
        seenText = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    QtDialogs dialogs;
    dialogs.ShowError(nullptr, 2);
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(seenText, QStringLiteral("切断されました。"));
}

TEST(QtDialogsTest, AskYesNoAnswersWithTheButtonPressed) {
    const auto box = MakeQuestionBox(nullptr, "\x8d\xed\x8f\x9c\x82\xb5\x82\xdc\x82\xb7\x81\x42");
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Velmok 2.2"));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->text(), QStringLiteral("削除します。"));
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);

    QtDialogs dialogs;
    WhenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click(); });
    EXPECT_TRUE(dialogs.AskYesNo(nullptr, "?"));
    WhenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click(); });
    EXPECT_FALSE(dialogs.AskYesNo(nullptr, "?"));
}

TEST(BrowseForFolderTest, CancelGivesAnEmptyStringAndTheTitleIsSet) {
    QString title;
    WhenModal([&](QWidget* modal) {
        title = modal->windowTitle();
        qobject_cast<QDialog*>(modal)->reject();
    });
    EXPECT_EQ(platform::BrowseForFolder(nullptr), "");
    EXPECT_EQ(title, QStringLiteral("フォルダを選択してください"));
}

TEST(BrowseForFolderTest, AcceptedFolderComesBackAsItsFullPath) {
    WhenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(QStringLiteral("/tmp"));
        dialog->selectFile(QStringLiteral("/tmp"));
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(platform::BrowseForFolder(nullptr), "/tmp");
}

TEST(SaveFileNameTest, StartsInTheDownloadFolderThenWhereTheLastFileWent) {
    QTemporaryDir dir;
    const QString downloads = dir.filePath(QStringLiteral("ダウンロード")),
                  other = dir.filePath(QStringLiteral("cfé"));
    ASSERT_TRUE(QDir().mkpath(downloads) && QDir().mkpath(other));
    QFile dirs(dir.filePath(QStringLiteral("user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly) &&
                dirs.write("XDG_DOWNLOAD_DIR=\"" + downloads.toUtf8() + "\"\n"));
    dirs.close();
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    QtDialogs dialogs;
    QStringList started;
    for (const char* name : {"a.txt", "b.txt"}) {
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            started << dialog->directory().absolutePath();
            dialog->selectFile(QDir(other).filePath(QStringLiteral("a.txt")));
            static_cast<QDialog*>(dialog)->accept();
        });
        EXPECT_EQ(dialogs.SaveFileName(nullptr, name).rfind(ToLocalPath(other), 0), 0u);
    }
    EXPECT_EQ(started, (QStringList{downloads, other}));
    oldConfig.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", oldConfig);
}

}  // namespace
}  // namespace velmok::platform
