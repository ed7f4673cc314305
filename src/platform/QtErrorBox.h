#pragma once
#include <memory>

class QMessageBox;
class QWidget;

namespace velmok::platform {

// The box for error `number`: the application title, the stop icon, one OK
// button and the numbered text. Built apart from showing it so the wiring can
// be checked without a user.
std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* owner, int number);

// Shows that box modally and returns when the user closes it.
void ShowErrorBox(QWidget* owner, int number);

}  // namespace velmok::platform
