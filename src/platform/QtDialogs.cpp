#include "platform/QtDialogs.h"

#include <QMessageBox>

#include "config/Browseforfolder.h"
#include "config/Error.h"
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

void QtDialogs::ShowError(QWidget* owner, int number) { ShowErrorBox(owner, number); }

void QtDialogs::ShowSaveError(QWidget* owner, const std::string& path) {
    MakeErrorBox(owner, config::SaveErrorText(path))->exec();
}

bool QtDialogs::AskYesNo(QWidget* owner, const std::string& text) {
    return MakeQuestionBox(owner, text)->exec() == QMessageBox::Yes;
}

std::string QtDialogs::BrowseForFolder(QWidget* owner) { return config::BrowseForFolder(owner); }

}  // namespace velmok::platform
