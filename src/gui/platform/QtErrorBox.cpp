#include "platform/QtErrorBox.h"

#include <QMessageBox>

#include "config/Error.h"
#include "platform/QtText.h"

namespace velmok::platform {

std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* owner, int number) {
    return MakeErrorBox(owner, config::ErrorText(number));
}

std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* owner, const std::string& text) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(QString::fromLatin1(config::kApplicationTitle));
    box->setIcon(QMessageBox::Critical);
    box->setText(FromSjis(text));
    box->setStandardButtons(QMessageBox::Ok);
    box->setDefaultButton(QMessageBox::Ok);
    return box;
}

void ShowErrorBox(QWidget* owner, int number) { MakeErrorBox(owner, number)->exec(); }

}  // namespace velmok::platform
