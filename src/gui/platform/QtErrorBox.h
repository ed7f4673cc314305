#pragma once
#include <QString>
#include <memory>
#include <string>

class QMessageBox;
class QWidget;

namespace velmok::platform {

// The box for error `number`: the application title, the stop icon, one OK
// button and the numbered text. Built apart from showing it so the wiring can
// be checked without a user.
std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* owner, int number);

// Shows that box modally and returns when the user closes it.
void ShowErrorBox(QWidget* owner, int number);

// The same box for a text of its own (Shift-JIS, or put together for display).
std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* owner, const std::string& text);
std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* owner, const QString& text);

// The text reporting a settings file that could not be written; it names the
// file (path in the file system's encoding).
QString SaveErrorText(const std::string& path);

}  // namespace velmok::platform
