#pragma once
#include <QDialog>

#include "windows/ChannelInfo.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace velmok::session {
class Engine;
}
namespace velmok::platform {
class Dialogs;
}

namespace velmok::windows {

// A channel's topic, modes, limit, key and bans; OK sends what the user
// changed. Shown modally, destroyed when closed.
class Tfrm_ChannelInfo : public QDialog {
    Q_OBJECT
public:
    Tfrm_ChannelInfo(QWidget* owner, session::Engine& engine, platform::Dialogs* dialogs, int slot,
                     int window);

    int SessionIndex;
    int ChannelIndex;
    ChannelInfoState state;

    QLineEdit* Edit_Topic;
    QCheckBox* Check_Mode_Private;
    QCheckBox* Check_Mode_Secret;
    QCheckBox* Check_Mode_Moderated;
    QCheckBox* Check_Mode_Topic;
    QCheckBox* Check_Mode_Invite;
    QCheckBox* Check_Mode_NoMessage;
    QCheckBox* Check_Mode_Limit;
    QLineEdit* Edit_Limit;
    QCheckBox* Check_Mode_Key;
    QLineEdit* Edit_Key;
    QTreeWidget* Liv_BanList;
    QLabel* Lbl_Unban;
    QPushButton* Btn_OK;
    QPushButton* Btn_Cancel;
    QTimer* Timer;

    void TimerTimer();
    void Btn_OKClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void FormShow();
    std::array<QCheckBox*, 6> ModeBoxes() const;

    session::Engine& engine_;
    platform::Dialogs* dialogs_;
    bool shown_ = false;
    bool banChecks_ = true;
};

}  // namespace velmok::windows
