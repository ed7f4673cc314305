#pragma once
#include <QDialog>
#include <memory>
#include <string>

#include "config/SelectConnection.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace velmok::session {
struct ServerSession;
}
namespace velmok::platform {
class Dialogs;
class QtDialogs;
}  // namespace velmok::platform

namespace velmok::config {

// The connection picker. OK with a profile chosen closes with Accepted and, when
// a slot's session was given, fills it from that profile; the caller then opens
// the connection. Cancel leaves everything untouched.
class Tfrm_SelConnect : public QDialog {
    Q_OBJECT
public:
    // dialogs: message boxes; nullptr means the real Qt boxes.
    Tfrm_SelConnect(QWidget* owner, const std::string& profileText, session::ServerSession& session,
                    platform::Dialogs* dialogs = nullptr);
    // Without a session: the caller fills the slot from ChosenProfile() after Accepted.
    Tfrm_SelConnect(QWidget* owner, const std::string& profileText, platform::Dialogs* dialogs = nullptr);
    ~Tfrm_SelConnect() override;

    // The profile chosen when OK was pressed (an empty profile when none is chosen).
    ConnectionProfile ChosenProfile() const;

    QComboBox* Cmb_ConnectList;
    QLabel* Lbl_Host;
    QLabel* Lbl_Port;
    QLabel* Lbl_Nick;
    QLabel* Lbl_AwayNick;
    QLabel* Lbl_User;
    QLabel* Lbl_RealName;
    QPushButton* Btn_OK;
    QPushButton* Btn_Cancel;

    void Cmb_ConnectListChange(int index);
    void Btn_OKClick();

private:
    void BuildControls();
    void ShowDetails();

    SelectConnection picker_;
    session::ServerSession* session_;
    platform::Dialogs* dialogs_;
    std::unique_ptr<platform::QtDialogs> ownDialogs_;
};

}  // namespace velmok::config
