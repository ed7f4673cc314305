#pragma once
#include <QDialog>
#include <string>
#include <vector>

#include "inputbox/InputBox.h"
#include "platform/QtModal.h"
#include "session/Frontend.h"

class QLabel;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace velmok::session {
class Engine;
}
namespace velmok::platform {
class Dialogs;
}

namespace velmok::inputbox {

// Asks for the argument of one IRC command. The logic of OK lives in
// InputBoxOk; this window only collects the fields.
class Tfrm_InputBox : public QDialog {
    Q_OBJECT
public:
    Tfrm_InputBox(QWidget* owner, session::Engine& engine, platform::Dialogs* dialogs);

    // Caption, labels, visible fields, Kind and the rest from one request.
    void Setup(const session::InputBoxRequest& request);

    InputBoxState state;
    QLabel* Lbl_InputBox1;
    QComboBox* Cmb_InputBox;
    QLineEdit* Edit_InputBox1;
    QLabel* Lbl_InputBox2;
    QLineEdit* Edit_InputBox2;
    QPushButton* BitBtn_OK;
    QPushButton* BitBtn_Cancel;

    // Shift-JIS texts of the fields, for callers that act themselves.
    std::string FirstText() const;
    std::string KeyText() const;

    void BitBtn_OKClick();
    void BitBtn_CancelClick();
    // The main window closes: the box goes, answered or not (once its error
    // box, if one is up, has returned).
    void CloseUnanswered();

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void Cmb_InputBoxChange();
    // The characters of the shown fields that the wire cannot carry.
    std::vector<char32_t> Unsendable() const;

    session::Engine& engine_;
    platform::Dialogs* dialogs_;
    platform::DialogGuard guard_{*this};
    bool modeless_ = false;
    // The key the JOIN box put in for the entry the text names, if any.
    QString filledKey_;
};

// Shows a modal input box for one request and returns once it is answered,
// deleting it then when the caller owns it. Modeless ones are QtPromptBoxes'.
void RunInputBox(QWidget* owner, session::Engine& engine, platform::Dialogs* dialogs,
                 const session::InputBoxRequest& request);

}  // namespace velmok::inputbox
