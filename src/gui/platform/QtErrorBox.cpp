#include "platform/QtErrorBox.h"

#include <QMessageBox>

#include "base/Texts.h"
#include "config/Error.h"
#include "platform/QtText.h"

namespace velmok::platform {

std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* owner, int number) {
    return MakeErrorBox(owner, config::ErrorText(number));
}

std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* owner, const std::string& text) {
    return MakeErrorBox(owner, FromSjis(text));
}

std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* owner, const QString& text) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(QString::fromLatin1(config::kApplicationTitle));
    box->setIcon(QMessageBox::Critical);
    box->setText(text);
    box->setStandardButtons(QMessageBox::Ok);
    box->setDefaultButton(QMessageBox::Ok);
    return box;
}

void ShowErrorBox(QWidget* owner, int number) { MakeErrorBox(owner, number)->exec(); }

QString SaveErrorText(const std::string& path) { return FromSjis(texts::SaveFailed) + FromLocalPath(path); }

}  // namespace velmok::platform
