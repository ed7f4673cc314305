#pragma once
#include <QDialog>
#include <string>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace velmok::session {
class Engine;
}

namespace velmok::windows {

// The answer to one WHOIS: one window per slot and nick, filled from the
// nick's row of the WHOIS table, which goes when the window closes.
class Tfrm_Whois : public QDialog {
    Q_OBJECT
public:
    Tfrm_Whois(QWidget* owner, session::Engine& engine, int slot, const std::string& nick);
    ~Tfrm_Whois() override;

    int SessionIndex;
    QLineEdit* Edit_Whois_Nick;
    QLineEdit* Edit_Whois_User;
    QLineEdit* Edit_Whois_Host;
    QLineEdit* Edit_Whois_Real;
    QLineEdit* Edit_Whois_Server;
    QLineEdit* Edit_Whois_ServerInfo;
    QLineEdit* Edit_Whois_Idle;
    QLineEdit* Edit_Whois_Away;
    QListWidget* List_Whois_Channels;
    QPushButton* Btn_OK;
    QTimer* Timer1;

    // The nick as the row holds it (the edit shows it decoded).
    const std::string& Nick() const { return nick_; }
    // Fills the window from its row when the row waits to be shown.
    void Timer1Timer();
    // Closed already, waiting to be destroyed: its row is gone.
    bool IsClosed() const { return closed_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape ends a dialog through done(), which sends no close event.
    void done(int result) override;

private:
    // However the window goes, its row goes with it, once: a row left behind
    // would stand for a window that no longer exists.
    void Forget();

    session::Engine& engine_;
    std::string nick_;
    bool closed_ = false;
};

}  // namespace velmok::windows
