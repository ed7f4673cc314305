#include "config/QtSelectConnection.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/QtDialogs.h"
#include "platform/QtText.h"
#include "session/Engine.h"

namespace velmok::config {

Tfrm_SelConnect::Tfrm_SelConnect(QWidget* owner, const std::string& profileText,
                                 session::ServerSession& session, platform::Dialogs* dialogs)
    : Tfrm_SelConnect(owner, profileText, dialogs) {
    session_ = &session;
}

Tfrm_SelConnect::Tfrm_SelConnect(QWidget* owner, const std::string& profileText, platform::Dialogs* dialogs)
    : QDialog(owner), picker_(profileText), session_(nullptr), dialogs_(dialogs) {
    if (dialogs_ == nullptr) {
        ownDialogs_ = std::make_unique<platform::QtDialogs>();
        dialogs_ = ownDialogs_.get();
    }
    BuildControls();
}

void Tfrm_SelConnect::BuildControls() {
    setWindowTitle(QStringLiteral("接続の選択"));
    setModal(true);

    auto* root = new QVBoxLayout(this);
    Cmb_ConnectList = new QComboBox(this);
    Cmb_ConnectList->setEditable(false);
    root->addWidget(Cmb_ConnectList);

    auto* group = new QGroupBox(this);
    auto* grid = new QGridLayout(group);
    auto addDetail = [this, group, grid](const QString& caption, QLabel*& value) {
        const int row = grid->rowCount();
        value = new QLabel(group);
        value->setTextInteractionFlags(Qt::NoTextInteraction);
        grid->addWidget(new QLabel(caption, group), row, 0);
        grid->addWidget(value, row, 1);
    };
    addDetail(QStringLiteral("Host："), Lbl_Host);
    addDetail(QStringLiteral("Port："), Lbl_Port);
    addDetail(QStringLiteral("Nick："), Lbl_Nick);
    addDetail(QStringLiteral("Away Nick："), Lbl_AwayNick);
    addDetail(QStringLiteral("User："), Lbl_User);
    addDetail(QStringLiteral("Real Name："), Lbl_RealName);
    grid->setColumnStretch(1, 1);
    root->addWidget(group);

    auto* buttons = new QHBoxLayout;
    root->addLayout(buttons);
    buttons->addStretch(1);
    Btn_OK = new QPushButton(QStringLiteral("OK"), this);
    Btn_OK->setDefault(true);
    Btn_Cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    Btn_Cancel->setAutoDefault(false);
    buttons->addWidget(Btn_OK);
    buttons->addWidget(Btn_Cancel);

    {
        const QSignalBlocker block(Cmb_ConnectList);
        for (const std::string& entry : picker_.Entries())
            Cmb_ConnectList->addItem(platform::FromSjis(entry));
        Cmb_ConnectList->setCurrentIndex(picker_.Chosen());
    }
    ShowDetails();

    connect(Cmb_ConnectList, &QComboBox::currentIndexChanged, this, &Tfrm_SelConnect::Cmb_ConnectListChange);
    connect(Btn_OK, &QPushButton::clicked, this, &Tfrm_SelConnect::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

Tfrm_SelConnect::~Tfrm_SelConnect() = default;

ConnectionProfile Tfrm_SelConnect::ChosenProfile() const {
    const ConnectionProfile* p = picker_.ChosenProfile();
    return p ? *p : ConnectionProfile{};
}

void Tfrm_SelConnect::ShowDetails() {
    const ConnectionProfile* p = picker_.ChosenProfile();
    const ConnectionProfile none;
    const ConnectionProfile& shown = p ? *p : none;
    // The password is kept with the profile but never shown.
    Lbl_Host->setText(platform::FromSjis(shown.Host));
    Lbl_Port->setText(platform::FromSjis(shown.Port));
    Lbl_Nick->setText(platform::FromSjis(shown.Nick));
    Lbl_AwayNick->setText(platform::FromSjis(shown.AwayNick));
    Lbl_User->setText(platform::FromSjis(shown.UserName));
    Lbl_RealName->setText(platform::FromSjis(shown.RealName));
}

void Tfrm_SelConnect::Cmb_ConnectListChange(int index) {
    picker_.Choose(index);
    ShowDetails();
}

void Tfrm_SelConnect::Btn_OKClick() {
    if (int result = picker_.Ok(); result != 0) {
        dialogs_->ShowError(this, result);
        return;
    }
    if (session_) session::FillSession(*picker_.ChosenProfile(), *session_);
    accept();
}

}  // namespace velmok::config
