#include "platform/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

#include "config/Error.h"
#include "platform/Browseforfolder.h"
#include "platform/QtErrorBox.h"
#include "platform/QtText.h"

namespace velmok::platform {

std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget* owner, const std::string& text) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(QString::fromLatin1(config::kApplicationTitle));
    box->setIcon(QMessageBox::Question);
    box->setText(FromSjis(text));
    box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(QMessageBox::Yes);
    return box;
}

void Dialogs::Alert(QWidget* window) {
    // No time limit: a limited alert ends by itself, and a line arriving after
    // that would find nothing left to renew.
    QApplication::alert(window, 0);
}

void QtDialogs::ShowError(QWidget* owner, int number) { ShowErrorBox(owner, number); }

void QtDialogs::ShowSaveError(QWidget* owner, const std::string& path) {
    MakeErrorBox(owner, SaveErrorText(path))->exec();
}

void QtDialogs::ShowErrorMessage(QWidget* owner, const QString& text) { MakeErrorBox(owner, text)->exec(); }

bool QtDialogs::AskYesNo(QWidget* owner, const std::string& text) {
    return MakeQuestionBox(owner, text)->exec() == QMessageBox::Yes;
}

std::string QtDialogs::BrowseForFolder(QWidget* owner) { return platform::BrowseForFolder(owner); }

namespace {

// Every file; "*.*" would leave out names without a dot here.
const char* const kAllFiles = "すべてのファイル(*)";

std::string Chosen(const QString& path, QString& folder) {
    if (path.isEmpty()) return {};
    folder = QFileInfo(path).absolutePath();
    return ToLocalPath(path);
}

}  // namespace

std::string QtDialogs::OpenFileName(QWidget* owner) {
    const QString start = openFolder_.isEmpty() ? QDir::homePath() : openFolder_;
    return Chosen(QFileDialog::getOpenFileName(owner, QString(), start, QString::fromUtf8(kAllFiles)),
                  openFolder_);
}

QString DownloadFolder() {
    // The desktop's download folder (XDG_DOWNLOAD_DIR), when it is there.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

std::string QtDialogs::SaveFileName(QWidget* owner, const std::string& proposedName) {
    // The first file goes to the download folder, the next beside the last.
    const QString folder = saveFolder_.isEmpty() ? DownloadFolder() : saveFolder_;
    const QString start = QDir(folder).filePath(FromSjis(proposedName));
    return Chosen(QFileDialog::getSaveFileName(owner, QString(), start, QString::fromUtf8(kAllFiles)),
                  saveFolder_);
}

}  // namespace velmok::platform
