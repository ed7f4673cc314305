#pragma once
#include <QDialog>
#include <memory>
#include <string>

#include "config/ConnectEditor.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmok::platform {
class Dialogs;
class QtDialogs;
}  // namespace velmok::platform

namespace velmok::config {

// The connection editor. It edits a copy of the profile text; after exec()
// returns Accepted, ProfileText() holds the new text for the caller to store
// and save. The decisions live in ConnectEditor; this window shows them.
class Tfrm_Connection : public QDialog {
    Q_OBJECT
public:
    // dialogs: message and question boxes; nullptr means the real Qt boxes.
    // sasl, encodings: the logins and wire encodings of velmok.ini, shown for
    // each profile.
    Tfrm_Connection(QWidget* owner, const std::string& profileText, platform::Dialogs* dialogs = nullptr,
                    const SaslStore& sasl = SaslStore(), const EncodingStore& encodings = EncodingStore());
    ~Tfrm_Connection() override;

    // The edited text after OK; the text given at construction otherwise.
    std::string ProfileText() const;
    // After OK: the profiles' logins and encodings into the stores; nothing otherwise.
    void ApplySasl(SaslStore& store) const;
    void ApplyEncodings(EncodingStore& store) const;
    const ConnectEditor& Editor() const { return editor_; }

    QLineEdit* Edit_Host;
    QLineEdit* Edit_Port;
    QCheckBox* Check_Tls;  // "TLS": the port is written "+port"
    QLineEdit* Edit_Pass;
    QLineEdit* Edit_Nick;
    QLineEdit* Edit_AwayNick;
    QLineEdit* Edit_User;
    QLineEdit* Edit_RealName;
    QComboBox* Cmb_Encoding;      // what the server reads: ISO-2022-JP, UTF-8
    QComboBox* Cmb_Sasl;          // none, PLAIN, EXTERNAL
    QLineEdit* Edit_Certificate;  // EXTERNAL: the client certificate (PEM with its key)
    QPushButton* Btn_Certificate;
    QLineEdit* Edit_Channel;
    QLineEdit* Edit_ChannelKey;
    QTreeWidget* Liv_ChannelList;
    QPushButton* Btn_ChannelList_Add;
    QPushButton* Btn_ChannelList_Delete;
    QPushButton* Btn_ChannelList_Up;
    QPushButton* Btn_ChannelList_Down;
    QTreeWidget* Liv_ConnectionList;
    QPushButton* Btn_ConnectionoList_Add;
    QPushButton* Btn_ConnectionList_Application;
    QPushButton* Btn_ConnectionList_Delete;
    QPushButton* Btn_ConnectionList_Up;
    QPushButton* Btn_ConnectionList_Down;
    QPushButton* Btn_OK;
    QPushButton* Btn_Cancel;

    void Edit_ChannelChange();
    void Btn_ChannelList_AddClick();
    void Liv_ChannelListSelectItem();
    void Liv_ChannelListItemChanged(QTreeWidgetItem* item, int column);
    void Btn_ChannelList_DeleteClick();
    void Btn_ChannelList_UpClick();
    void Btn_ChannelList_DownClick();
    void Liv_ConnectionListSelectItem();
    void Btn_ConnectionoList_AddClick();
    void Btn_ConnectionList_ApplicationClick();
    void Btn_ConnectionList_DeleteClick();
    void Btn_ConnectionList_UpClick();
    void Btn_ConnectionList_DownClick();
    void Btn_OKClick();
    void Cmb_SaslChange();
    void Btn_CertificateClick();

private:
    void BuildControls();
    void FieldsToEditor();
    void FieldsFromEditor();
    void ShowChannels();
    void ShowProfiles();
    void ShowButtons();
    void ApplyFocus();
    void ShowError(int number);

    ConnectEditor editor_;
    std::string originalText_;
    bool accepted_ = false;
    platform::Dialogs* dialogs_;
    std::unique_ptr<platform::QtDialogs> ownDialogs_;
};

}  // namespace velmok::config
