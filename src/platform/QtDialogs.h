#pragma once
#include <memory>
#include <string>

class QMessageBox;
class QWidget;

namespace velmok::platform {

// The modal boxes the windows put in front of the user. Windows hold one of
// these instead of calling Qt directly, so tests can answer with a script.
// Texts are Shift-JIS, as everywhere inside the program.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The numbered error text with the application title and the stop icon.
    virtual void ShowError(QWidget* owner, int number) = 0;
    // A settings file (path in Shift-JIS) that could not be written, in the
    // same box.
    virtual void ShowSaveError(QWidget* owner, const std::string& path) = 0;
    // Yes and No buttons, the question icon and the application title.
    virtual bool AskYesNo(QWidget* owner, const std::string& text) = 0;
    // The chosen folder's full path, or empty when the user cancels.
    virtual std::string BrowseForFolder(QWidget* owner) = 0;
};

class QtDialogs : public Dialogs {
public:
    void ShowError(QWidget* owner, int number) override;
    void ShowSaveError(QWidget* owner, const std::string& path) override;
    bool AskYesNo(QWidget* owner, const std::string& text) override;
    std::string BrowseForFolder(QWidget* owner) override;
};

// The yes/no box AskYesNo shows, built apart from showing it.
std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget* owner, const std::string& text);

}  // namespace velmok::platform
