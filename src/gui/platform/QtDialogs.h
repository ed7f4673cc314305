#pragma once
#include <QString>
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
    // A settings file (path in the file system's encoding) that could not be
    // written, in the same box.
    virtual void ShowSaveError(QWidget* owner, const std::string& path) = 0;
    // A message of its own in the same box, put together for display.
    virtual void ShowErrorMessage(QWidget* owner, const QString& text) = 0;
    // Yes and No buttons, the question icon and the application title.
    virtual bool AskYesNo(QWidget* owner, const std::string& text) = 0;
    // The chosen folder's full path in the file system's encoding, or empty
    // when the user cancels.
    virtual std::string BrowseForFolder(QWidget* owner) = 0;
    // A file to send: the full path of an existing file, in the file system's
    // own encoding, or empty when the user cancels.
    virtual std::string OpenFileName(QWidget* owner) = 0;
    // Where to save a received file, proposing proposedName (Shift-JIS, no
    // folder): the full path in the file system's encoding, or empty on cancel.
    // The dialog asks before an existing file is replaced.
    virtual std::string SaveFileName(QWidget* owner, const std::string& proposedName) = 0;
    // Asks for the user's attention through the taskbar entry of window, which
    // stays marked until the window is activated again.
    virtual void Alert(QWidget* window);
};

class QtDialogs : public Dialogs {
public:
    void ShowError(QWidget* owner, int number) override;
    void ShowSaveError(QWidget* owner, const std::string& path) override;
    void ShowErrorMessage(QWidget* owner, const QString& text) override;
    bool AskYesNo(QWidget* owner, const std::string& text) override;
    std::string BrowseForFolder(QWidget* owner) override;
    std::string OpenFileName(QWidget* owner) override;
    std::string SaveFileName(QWidget* owner, const std::string& proposedName) override;

private:
    // The folders last used, so a second transfer starts where the first was.
    QString openFolder_;
    QString saveFolder_;
};

// Where received files are saved unless the user chose another folder: the
// desktop's download folder, else the home folder.
QString DownloadFolder();

// The yes/no box AskYesNo shows, built apart from showing it.
std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget* owner, const std::string& text);

}  // namespace velmok::platform
