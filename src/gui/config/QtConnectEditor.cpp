#include "config/QtConnectEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/QtDialogs.h"
#include "platform/QtText.h"

namespace velmok::config {

namespace {

QPushButton* MakeButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    return button;
}

int RowOf(QTreeWidget* list, QTreeWidgetItem* item) { return item ? list->indexOfTopLevelItem(item) : -1; }

int SelectedRow(QTreeWidget* list) {
    const auto items = list->selectedItems();
    return items.isEmpty() ? -1 : RowOf(list, items.first());
}

// Selects row (or nothing for -1) without firing the list's handlers.
void SelectRow(QTreeWidget* list, int row) {
    const QSignalBlocker block(list);
    list->clearSelection();
    if (QTreeWidgetItem* item = row >= 0 ? list->topLevelItem(row) : nullptr) {
        list->setCurrentItem(item);
        item->setSelected(true);
    }
}

}  // namespace

Tfrm_Connection::Tfrm_Connection(QWidget* owner, const std::string& profileText, platform::Dialogs* dialogs,
                                 const SaslStore& sasl, const EncodingStore& encodings)
    : QDialog(owner), editor_(profileText, sasl, encodings), originalText_(profileText), dialogs_(dialogs) {
    if (dialogs_ == nullptr) {
        ownDialogs_ = std::make_unique<platform::QtDialogs>();
        dialogs_ = ownDialogs_.get();
    }
    setWindowTitle(QStringLiteral("接続の設定"));
    setModal(true);
    BuildControls();
    ShowProfiles();
    ShowChannels();
    ShowButtons();
    // The selection handler joins only after the lists are filled.
    connect(Liv_ConnectionList, &QTreeWidget::itemSelectionChanged, this,
            &Tfrm_Connection::Liv_ConnectionListSelectItem);
}

Tfrm_Connection::~Tfrm_Connection() = default;

void Tfrm_Connection::BuildControls() {
    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    root->addLayout(top);

    // Profile fields.
    auto* fields = new QGridLayout;
    top->addLayout(fields);
    auto addField = [this, fields](const QString& caption, QLineEdit*& edit) {
        const int row = fields->rowCount();
        edit = new QLineEdit(this);
        auto* label = new QLabel(caption, this);
        label->setBuddy(edit);
        fields->addWidget(label, row, 0);
        fields->addWidget(edit, row, 1);
    };
    addField(QStringLiteral("Host："), Edit_Host);
    addField(QStringLiteral("Port："), Edit_Port);
    addField(QStringLiteral("Password："), Edit_Pass);
    addField(QStringLiteral("Nick："), Edit_Nick);
    addField(QStringLiteral("Nick(Away)："), Edit_AwayNick);
    addField(QStringLiteral("User："), Edit_User);
    addField(QStringLiteral("Real Name："), Edit_RealName);
    Edit_Port->setMaxLength(10);
    Check_Tls = new QCheckBox(QStringLiteral("TLS"), this);
    Check_Tls->setObjectName(QStringLiteral("Check_Tls"));
    fields->addWidget(Check_Tls, 1, 2);
    Edit_Pass->setEchoMode(QLineEdit::Password);
    Edit_Nick->setMaxLength(9);
    Edit_AwayNick->setMaxLength(9);
    // What the server reads; the items in the order of WireEncoding.
    const int encodingRow = fields->rowCount();
    Cmb_Encoding = new QComboBox(this);
    Cmb_Encoding->setObjectName(QStringLiteral("Cmb_Encoding"));
    Cmb_Encoding->addItems({QStringLiteral("ISO-2022-JP"), QStringLiteral("UTF-8")});
    auto* encodingLabel = new QLabel(QStringLiteral("文字コード："), this);
    encodingLabel->setBuddy(Cmb_Encoding);
    fields->addWidget(encodingLabel, encodingRow, 0);
    fields->addWidget(Cmb_Encoding, encodingRow, 1);
    // The login: PLAIN sends User and Password; EXTERNAL a client certificate over TLS.
    const int saslRow = fields->rowCount();
    Cmb_Sasl = new QComboBox(this);
    Cmb_Sasl->setObjectName(QStringLiteral("Cmb_Sasl"));
    Cmb_Sasl->addItems({QStringLiteral("なし"), QStringLiteral("PLAIN"), QStringLiteral("EXTERNAL")});
    auto* saslLabel = new QLabel(QStringLiteral("SASL："), this);
    saslLabel->setBuddy(Cmb_Sasl);
    fields->addWidget(saslLabel, saslRow, 0);
    fields->addWidget(Cmb_Sasl, saslRow, 1);
    addField(QStringLiteral("証明書："), Edit_Certificate);
    Edit_Certificate->setObjectName(QStringLiteral("Edit_Certificate"));
    Btn_Certificate = MakeButton(QStringLiteral("参照..."), this);
    fields->addWidget(Btn_Certificate, saslRow + 1, 2);
    fields->setRowStretch(fields->rowCount(), 1);

    // Channels to join.
    auto* channels = new QGridLayout;
    top->addLayout(channels);
    Edit_Channel = new QLineEdit(this);
    Edit_ChannelKey = new QLineEdit(this);
    channels->addWidget(new QLabel(QStringLiteral("Channel："), this), 0, 0);
    channels->addWidget(Edit_Channel, 0, 1);
    channels->addWidget(new QLabel(QStringLiteral("Key："), this), 1, 0);
    channels->addWidget(Edit_ChannelKey, 1, 1);
    Btn_ChannelList_Add = MakeButton(QStringLiteral("追加↓"), this);
    channels->addWidget(Btn_ChannelList_Add, 2, 1, Qt::AlignRight);
    Liv_ChannelList = new QTreeWidget(this);
    Liv_ChannelList->setColumnCount(2);
    Liv_ChannelList->setHeaderHidden(true);
    Liv_ChannelList->setRootIsDecorated(false);
    Liv_ChannelList->setSelectionMode(QAbstractItemView::SingleSelection);
    Liv_ChannelList->setColumnWidth(0, 120);
    Liv_ChannelList->setColumnWidth(1, ConnectEditor::kKeyColumnWide);
    channels->addWidget(Liv_ChannelList, 3, 0, 1, 2);
    channels->addWidget(new QLabel(QStringLiteral("↑自動的にJOINするチャンネル"), this), 4, 0, 1, 2);
    auto* channelButtons = new QHBoxLayout;
    Btn_ChannelList_Delete = MakeButton(QStringLiteral("削除"), this);
    Btn_ChannelList_Up = MakeButton(QStringLiteral("↑"), this);
    Btn_ChannelList_Down = MakeButton(QStringLiteral("↓"), this);
    channelButtons->addWidget(Btn_ChannelList_Delete);
    channelButtons->addWidget(Btn_ChannelList_Up);
    channelButtons->addWidget(Btn_ChannelList_Down);
    channels->addLayout(channelButtons, 5, 0, 1, 2);

    // Profiles.
    auto* profileButtons = new QHBoxLayout;
    root->addLayout(profileButtons);
    Btn_ConnectionoList_Add = MakeButton(QStringLiteral("追加↓"), this);
    Btn_ConnectionList_Application = MakeButton(QStringLiteral("更新↓"), this);
    Btn_ConnectionList_Delete = MakeButton(QStringLiteral("削除"), this);
    Btn_ConnectionList_Up = MakeButton(QStringLiteral("↑"), this);
    Btn_ConnectionList_Down = MakeButton(QStringLiteral("↓"), this);
    for (QPushButton* b : {Btn_ConnectionoList_Add, Btn_ConnectionList_Application, Btn_ConnectionList_Delete,
                           Btn_ConnectionList_Up, Btn_ConnectionList_Down}) {
        profileButtons->addWidget(b);
    }
    profileButtons->addStretch(1);

    Liv_ConnectionList = new QTreeWidget(this);
    Liv_ConnectionList->setColumnCount(ConnectEditor::kRowColumns);
    Liv_ConnectionList->setHeaderLabels({QStringLiteral("Host"), QStringLiteral("Port"),
                                         QStringLiteral("Nick"), QStringLiteral("Nick(Away)"),
                                         QStringLiteral("User"), QStringLiteral("Real Name")});
    const int widths[ConnectEditor::kRowColumns] = {144, 42, 62, 62, 62, 62};
    for (int c = 0; c < ConnectEditor::kRowColumns; ++c) Liv_ConnectionList->setColumnWidth(c, widths[c]);
    Liv_ConnectionList->setRootIsDecorated(false);
    Liv_ConnectionList->setSelectionMode(QAbstractItemView::SingleSelection);
    Liv_ConnectionList->setSelectionBehavior(QAbstractItemView::SelectRows);
    Liv_ConnectionList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    root->addWidget(Liv_ConnectionList, 1);

    auto* okCancel = new QHBoxLayout;
    root->addLayout(okCancel);
    okCancel->addStretch(1);
    Btn_OK = new QPushButton(QStringLiteral("OK"), this);
    Btn_OK->setDefault(true);
    Btn_Cancel = MakeButton(QStringLiteral("キャンセル"), this);
    okCancel->addWidget(Btn_OK);
    okCancel->addWidget(Btn_Cancel);

    connect(Edit_Channel, &QLineEdit::textChanged, this, &Tfrm_Connection::Edit_ChannelChange);
    connect(Edit_ChannelKey, &QLineEdit::textChanged, this, &Tfrm_Connection::Edit_ChannelChange);
    connect(Btn_ChannelList_Add, &QPushButton::clicked, this, &Tfrm_Connection::Btn_ChannelList_AddClick);
    connect(Liv_ChannelList, &QTreeWidget::itemSelectionChanged, this,
            &Tfrm_Connection::Liv_ChannelListSelectItem);
    connect(Liv_ChannelList, &QTreeWidget::itemChanged, this, &Tfrm_Connection::Liv_ChannelListItemChanged);
    connect(Btn_ChannelList_Delete, &QPushButton::clicked, this,
            &Tfrm_Connection::Btn_ChannelList_DeleteClick);
    connect(Btn_ChannelList_Up, &QPushButton::clicked, this, &Tfrm_Connection::Btn_ChannelList_UpClick);
    connect(Btn_ChannelList_Down, &QPushButton::clicked, this, &Tfrm_Connection::Btn_ChannelList_DownClick);
    connect(Btn_ConnectionoList_Add, &QPushButton::clicked, this,
            &Tfrm_Connection::Btn_ConnectionoList_AddClick);
    connect(Btn_ConnectionList_Application, &QPushButton::clicked, this,
            &Tfrm_Connection::Btn_ConnectionList_ApplicationClick);
    connect(Btn_ConnectionList_Delete, &QPushButton::clicked, this,
            &Tfrm_Connection::Btn_ConnectionList_DeleteClick);
    connect(Btn_ConnectionList_Up, &QPushButton::clicked, this, &Tfrm_Connection::Btn_ConnectionList_UpClick);
    connect(Btn_ConnectionList_Down, &QPushButton::clicked, this,
            &Tfrm_Connection::Btn_ConnectionList_DownClick);
    connect(Btn_OK, &QPushButton::clicked, this, &Tfrm_Connection::Btn_OKClick);
    connect(Cmb_Sasl, &QComboBox::currentIndexChanged, this, &Tfrm_Connection::Cmb_SaslChange);
    connect(Btn_Certificate, &QPushButton::clicked, this, &Tfrm_Connection::Btn_CertificateClick);
    Cmb_SaslChange();
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::string Tfrm_Connection::ProfileText() const { return accepted_ ? editor_.ProfileText() : originalText_; }

void Tfrm_Connection::ApplySasl(SaslStore& store) const {
    if (accepted_) editor_.ApplySasl(store);
}

void Tfrm_Connection::ApplyEncodings(EncodingStore& store) const {
    if (accepted_) editor_.ApplyEncodings(store);
}

// ---- editor state <-> widgets -----------------------------------------------

void Tfrm_Connection::FieldsToEditor() {
    const QLineEdit* edits[] = {Edit_Host,     Edit_Port, Edit_Pass,    Edit_Nick,
                                Edit_AwayNick, Edit_User, Edit_RealName};
    for (std::size_t i = 0; i < editor_.Fields.size(); ++i)
        editor_.Fields[i] = platform::ToSjis(edits[i]->text());
    editor_.Tls = Check_Tls->isChecked();
    editor_.Encoding = static_cast<WireEncoding>(Cmb_Encoding->currentIndex());
    editor_.Sasl.Mechanism = static_cast<SaslMechanism>(Cmb_Sasl->currentIndex());
    editor_.Sasl.Certificate = platform::ToLocalPath(Edit_Certificate->text());
    editor_.ChannelEdit = platform::ToSjis(Edit_Channel->text());
    editor_.KeyEdit = platform::ToSjis(Edit_ChannelKey->text());
}

void Tfrm_Connection::FieldsFromEditor() {
    QLineEdit* edits[] = {Edit_Host,     Edit_Port, Edit_Pass,    Edit_Nick,
                          Edit_AwayNick, Edit_User, Edit_RealName};
    for (std::size_t i = 0; i < editor_.Fields.size(); ++i)
        edits[i]->setText(platform::FromSjis(editor_.Fields[i]));
    Check_Tls->setChecked(editor_.Tls);
    Cmb_Encoding->setCurrentIndex(static_cast<int>(editor_.Encoding));
    Cmb_Sasl->setCurrentIndex(static_cast<int>(editor_.Sasl.Mechanism));
    Edit_Certificate->setText(platform::FromLocalPath(editor_.Sasl.Certificate));
    Cmb_SaslChange();
}

void Tfrm_Connection::Cmb_SaslChange() {
    const bool external = Cmb_Sasl->currentIndex() == static_cast<int>(SaslMechanism::External);
    Edit_Certificate->setEnabled(external);
    Btn_Certificate->setEnabled(external);
}

void Tfrm_Connection::Btn_CertificateClick() {
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("クライアント証明書"), Edit_Certificate->text(),
                                     QStringLiteral("PEM (*.pem *.crt);;* (*)"));
    if (!file.isEmpty()) Edit_Certificate->setText(file);
}

void Tfrm_Connection::ShowChannels() {
    const QSignalBlocker block(Liv_ChannelList);
    Liv_ChannelList->setColumnWidth(1, editor_.KeyColumnWidth());
    Liv_ChannelList->clear();
    for (const AutoJoinChannel& c : editor_.Channels()) {
        auto* item = new QTreeWidgetItem(Liv_ChannelList);
        item->setText(0, platform::FromSjis(c.Name));
        item->setText(1, platform::FromSjis(c.Key));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, c.Ticked ? Qt::Checked : Qt::Unchecked);
    }
    SelectRow(Liv_ChannelList, editor_.SelectedChannel());
}

void Tfrm_Connection::ShowProfiles() {
    const QSignalBlocker block(Liv_ConnectionList);
    Liv_ConnectionList->clear();
    for (const ConnectionProfile& p : editor_.Profiles()) {
        auto* item = new QTreeWidgetItem(Liv_ConnectionList);
        const ConnectEditor::Row row = ConnectEditor::RowOf(p);
        for (int c = 0; c < ConnectEditor::kRowColumns; ++c) item->setText(c, platform::FromSjis(row[c]));
    }
    SelectRow(Liv_ConnectionList, editor_.SelectedProfile());
}

void Tfrm_Connection::ShowButtons() {
    const ConnectEditor::Buttons& b = editor_.ButtonState();
    Btn_ChannelList_Add->setEnabled(b.ChannelAdd);
    Btn_ChannelList_Delete->setEnabled(b.ChannelDelete);
    Btn_ChannelList_Up->setEnabled(b.ChannelUp);
    Btn_ChannelList_Down->setEnabled(b.ChannelDown);
    Btn_ConnectionoList_Add->setEnabled(b.ProfileAdd);
    Btn_ConnectionList_Application->setEnabled(b.ProfileUpdate);
    Btn_ConnectionList_Delete->setEnabled(b.ProfileDelete);
    Btn_ConnectionList_Up->setEnabled(b.ProfileUp);
    Btn_ConnectionList_Down->setEnabled(b.ProfileDown);
}

void Tfrm_Connection::ApplyFocus() {
    switch (editor_.TakeFocus()) {
        case ConnectEditor::Focus::ChannelUp:
            Btn_ChannelList_Up->setFocus();
            break;
        case ConnectEditor::Focus::ChannelDown:
            Btn_ChannelList_Down->setFocus();
            break;
        case ConnectEditor::Focus::ProfileUp:
            Btn_ConnectionList_Up->setFocus();
            break;
        case ConnectEditor::Focus::ProfileDown:
            Btn_ConnectionList_Down->setFocus();
            break;
        case ConnectEditor::Focus::None:
            break;
    }
}

void Tfrm_Connection::ShowError(int number) { dialogs_->ShowError(this, number); }

// ---- channel list ----------------------------------------------------------------

void Tfrm_Connection::Edit_ChannelChange() {
    FieldsToEditor();
    editor_.ChannelTextChanged();
    ShowButtons();
}

void Tfrm_Connection::Btn_ChannelList_AddClick() {
    FieldsToEditor();
    if (int result = editor_.AddChannel(); result != 0) {
        ShowError(result);
        return;
    }
    ShowChannels();
    ShowButtons();
}

void Tfrm_Connection::Liv_ChannelListSelectItem() {
    editor_.SelectChannel(SelectedRow(Liv_ChannelList));
    ShowButtons();
}

void Tfrm_Connection::Liv_ChannelListItemChanged(QTreeWidgetItem* item, int column) {
    if (column != 0) return;
    editor_.SetChannelTicked(RowOf(Liv_ChannelList, item), item->checkState(0) == Qt::Checked);
}

void Tfrm_Connection::Btn_ChannelList_DeleteClick() {
    editor_.DeleteChannel();
    ShowChannels();
    ShowButtons();
}

void Tfrm_Connection::Btn_ChannelList_UpClick() {
    editor_.ChannelUp();
    ShowChannels();
    ShowButtons();
    ApplyFocus();
}

void Tfrm_Connection::Btn_ChannelList_DownClick() {
    editor_.ChannelDown();
    ShowChannels();
    ShowButtons();
    ApplyFocus();
}

// ---- profile list ----------------------------------------------------------------

void Tfrm_Connection::Liv_ConnectionListSelectItem() {
    const int row = SelectedRow(Liv_ConnectionList);
    editor_.SelectProfile(row);
    if (row >= 0) {
        FieldsFromEditor();
        ShowChannels();
    }
    ShowButtons();
}

void Tfrm_Connection::Btn_ConnectionoList_AddClick() {
    FieldsToEditor();
    if (int result = editor_.AddProfile(); result != 0) {
        ShowError(result);
        return;
    }
    ShowProfiles();
    FieldsFromEditor();
    ShowChannels();
    ShowButtons();
}

void Tfrm_Connection::Btn_ConnectionList_ApplicationClick() {
    FieldsToEditor();
    const int result =
        editor_.UpdateProfile([this] { return dialogs_->AskYesNo(this, ConnectEditor::kUpdateQuestion); });
    if (result != 0) {
        ShowError(result);
        return;
    }
    ShowProfiles();
    ShowButtons();
}

void Tfrm_Connection::Btn_ConnectionList_DeleteClick() {
    editor_.DeleteProfile([this] { return dialogs_->AskYesNo(this, ConnectEditor::kDeleteQuestion); });
    ShowProfiles();
    ShowButtons();
}

void Tfrm_Connection::Btn_ConnectionList_UpClick() {
    editor_.ProfileUp();
    ShowProfiles();
    ShowButtons();
    ApplyFocus();
}

void Tfrm_Connection::Btn_ConnectionList_DownClick() {
    editor_.ProfileDown();
    ShowProfiles();
    ShowButtons();
    ApplyFocus();
}

void Tfrm_Connection::Btn_OKClick() {
    accepted_ = true;
    accept();
}

}  // namespace velmok::config
