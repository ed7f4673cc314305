#include "config/QtSettingsEditor.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <cmath>

#include "base/Texts.h"
#include "config/SettingsStore.h"
#include "platform/QtDialogs.h"
#include "platform/QtText.h"
#include "widgets/QtStyles.h"

namespace velmok::config {

using base::FontKind;
using platform::FromSjis;
using platform::ToSjis;

const QString Tfrm_Set::kSample = QStringLiteral("Aaあぁアァ亜宇");

namespace {

// Windows colour form 0x00BBGGRR.
Colour ColourFrom(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

std::optional<QFont> AskFont(QWidget* owner, const QFont& initial) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, owner);
    if (!ok) return std::nullopt;
    return chosen;
}

std::optional<QColor> AskColour(QWidget* owner, const QColor& initial) {
    const QColor chosen = QColorDialog::getColor(initial, owner);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}

}  // namespace

FontSetting FontFromQFont(const FontSetting& base, const QFont& font) {
    FontSetting out = base;
    const std::string name = ToSjis(font.family());
    if (!name.empty()) out.Name = name;
    if (font.pointSize() > 0) {
        out.Size = font.pointSize();
    } else if (font.pointSizeF() > 0) {
        out.Size = static_cast<int>(std::lround(font.pointSizeF()));
    }
    out.Bold = font.bold();
    out.Italic = font.italic();
    out.Underline = font.underline();
    out.StrikeOut = font.strikeOut();
    return out;
}

Tfrm_Set::Tfrm_Set(QWidget* owner, const Settings& settings, platform::Dialogs* dialogs,
                   const QString& settingsFolder)
    : QDialog(owner),
      pickFont(AskFont),
      pickColour(AskColour),
      editor_(settings),
      result_(settings),
      dialogs_(dialogs),
      settingsFolder_(settingsFolder) {
    if (!dialogs_) {
        ownDialogs_ = std::make_unique<platform::QtDialogs>();
        dialogs_ = ownDialogs_.get();
    }
    setObjectName(QStringLiteral("Tfrm_Set"));
    setWindowTitle(QStringLiteral("詳細設定"));

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->addTab(BuildFontPage(), QStringLiteral("フォント"));
    PageControl->addTab(BuildTabPage(), QStringLiteral("タブ"));
    PageControl->addTab(BuildCtcpPage(), QStringLiteral("CTCP"));
    PageControl->addTab(BuildDefencePage(), QStringLiteral("防衛モード"));
    PageControl->addTab(BuildKeywordPage(), QStringLiteral("キーワード"));
    PageControl->addTab(BuildEventPage(), QStringLiteral("イベント"));
    PageControl->addTab(BuildOtherPage(), QStringLiteral("その他の設定"));

    BitBtn_OK = new QPushButton(QStringLiteral("OK"), this);
    BitBtn_OK->setObjectName(QStringLiteral("BitBtn_OK"));
    BitBtn_OK->setDefault(true);
    BitBtn_Cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    BitBtn_Cancel->setObjectName(QStringLiteral("BitBtn_Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn_OK);
    buttons->addWidget(BitBtn_Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addLayout(buttons);

    LoadControls();
    WireEditors();
}

Tfrm_Set::~Tfrm_Set() = default;

void Tfrm_Set::WireEditors() {
    for (int k = 0; k < base::FontKindCount; ++k) {
        connect(Btn_Font[k], &QPushButton::clicked, this,
                [this, k] { Btn_FontClick(static_cast<FontKind>(k)); });
        connect(Btn_FontColor[k], &QPushButton::clicked, this,
                [this, k] { Btn_FontColorClick(static_cast<FontKind>(k)); });
    }
    connect(Btn_Color, &QPushButton::clicked, this, &Tfrm_Set::Btn_ColorClick);

    connect(Edit_Keyword, &QLineEdit::textChanged, this, [this](const QString& text) {
        editor_.KeywordField = ToSjis(text);
        ShowKeywordButtons();
    });
    Edit_Keyword->installEventFilter(this);
    connect(Btn_KeywordAdd, &QPushButton::clicked, this, &Tfrm_Set::Btn_KeywordAddClick);
    connect(Btn_KeywordDelete, &QPushButton::clicked, this, &Tfrm_Set::Btn_KeywordDeleteClick);
    connect(Lst_Keywords, &QListWidget::itemSelectionChanged, this, &Tfrm_Set::KeywordSelectionChanged);

    for (QLineEdit* edit : {Edit_EventName, Edit_Trigger, Edit_Prefix, Edit_Param[0], Edit_Param[1],
                            Edit_Param[2], Edit_Param[3], Edit_Command}) {
        connect(edit, &QLineEdit::textChanged, this, &Tfrm_Set::EventFieldChanged);
    }
    connect(Check_ExcludeOwn, &QCheckBox::toggled, this, &Tfrm_Set::EventFieldChanged);
    connect(Liv_Event, &QListWidget::itemSelectionChanged, this, &Tfrm_Set::EventSelectionChanged);
    connect(Btn_EventAdd, &QPushButton::clicked, this, &Tfrm_Set::Btn_EventAddClick);
    connect(Btn_EventUpdate, &QPushButton::clicked, this, &Tfrm_Set::Btn_EventUpdateClick);
    connect(Btn_EventDelete, &QPushButton::clicked, this, &Tfrm_Set::Btn_EventDeleteClick);
    connect(Btn_EventUp, &QPushButton::clicked, this, &Tfrm_Set::Btn_EventUpClick);
    connect(Btn_EventDown, &QPushButton::clicked, this, &Tfrm_Set::Btn_EventDownClick);

    connect(Btn_Browse, &QPushButton::clicked, this, &Tfrm_Set::Btn_BrowseClick);
    connect(BitBtn_OK, &QPushButton::clicked, this, &Tfrm_Set::BitBtn_OKClick);
    connect(BitBtn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

// ---- editor state <-> controls ---------------------------------------------

void Tfrm_Set::LoadControls() {
    const SettingsEditor& e = editor_;
    for (int k = 0; k < base::FontKindCount; ++k) ShowPreview(static_cast<FontKind>(k));

    Rad_ServerPosition[e.ServerPosition]->setChecked(true);
    (e.ServerMultiLine ? Rad_ServerMultiLine : Rad_ServerSingleLine)->setChecked(true);
    Rad_ChannelPosition[e.ChannelPosition]->setChecked(true);
    (e.ChannelMultiLine ? Rad_ChannelMultiLine : Rad_ChannelSingleLine)->setChecked(true);
    for (int i = 0; i < SettingsEditor::UnreadCount; ++i) Check_Unread[i]->setChecked(e.UnreadChecks[i]);

    for (int i = 0; i < SettingsEditor::MessageCount; ++i) Edit_Message[i]->setText(FromSjis(e.Messages[i]));
    for (int i = 0; i < SettingsEditor::CtcpAnswerCount; ++i) {
        (e.Answers[i] ? Rad_Answer[i] : Rad_NoAnswer[i])->setChecked(true);
    }
    Edit_UserInfo->setText(FromSjis(e.UserInfoText));

    Trb_Interval->setValue(e.Interval);
    Cmb_MaxReply->setCurrentIndex(e.MaxReplyIndex);
    Check_Priv->setChecked(e.Priv);
    Check_Invite->setChecked(e.Invite);
    Check_Whois->setChecked(e.Whois);

    ShowKeywords();
    Check_KeywordPrivate->setChecked(e.KeywordPrivate);
    Check_KeywordNotice->setChecked(e.KeywordNotice);
    Check_KeywordDCC->setChecked(e.KeywordDCC);
    Check_KeywordOwnNick->setChecked(e.KeywordOwnNick);
    Rad_Beep[static_cast<int>(e.Beep)]->setChecked(true);

    Check_EventLog->setChecked(e.EventLog);
    ShowEvents();

    Check_LogOutput->setChecked(e.LogOutput);
    Edit_LogPath->setText(platform::FromLocalPath(e.LogPath));
    Spin_MaxLines->setValue(e.MaxLines);
    Check_AutoReconnect->setChecked(e.AutoReconnect);
    Check_Capabilities->setChecked(e.Capabilities);
    Check_NotifyDesktop->setChecked(e.NotifyDesktop);
    Check_NotifyTray->setChecked(e.NotifyTray);
}

void Tfrm_Set::CollectControls() {
    SettingsEditor& e = editor_;
    for (int i = 0; i < 4; ++i) {
        if (Rad_ServerPosition[i]->isChecked()) e.ServerPosition = i;
        if (Rad_ChannelPosition[i]->isChecked()) e.ChannelPosition = i;
    }
    e.ServerMultiLine = Rad_ServerMultiLine->isChecked();
    e.ChannelMultiLine = Rad_ChannelMultiLine->isChecked();
    for (int i = 0; i < SettingsEditor::UnreadCount; ++i) e.UnreadChecks[i] = Check_Unread[i]->isChecked();

    // What goes on the wire is read as typed text; OK has refused what it cannot carry.
    for (int i = 0; i < SettingsEditor::MessageCount; ++i)
        e.Messages[i] = platform::ReadTyped(Edit_Message[i]->text()).Sjis;
    for (int i = 0; i < SettingsEditor::CtcpAnswerCount; ++i) e.Answers[i] = Rad_Answer[i]->isChecked();
    e.UserInfoText = platform::ReadTyped(Edit_UserInfo->text()).Sjis;

    e.Interval = Trb_Interval->value();
    e.MaxReplyIndex = Cmb_MaxReply->currentIndex();
    e.Priv = Check_Priv->isChecked();
    e.Invite = Check_Invite->isChecked();
    e.Whois = Check_Whois->isChecked();

    e.KeywordPrivate = Check_KeywordPrivate->isChecked();
    e.KeywordNotice = Check_KeywordNotice->isChecked();
    e.KeywordDCC = Check_KeywordDCC->isChecked();
    e.KeywordOwnNick = Check_KeywordOwnNick->isChecked();
    if (Rad_Beep[0]->isChecked()) e.Beep = SettingsEditor::BeepChoice::General;
    if (Rad_Beep[1]->isChecked()) e.Beep = SettingsEditor::BeepChoice::Warning;
    if (Rad_Beep[2]->isChecked()) e.Beep = SettingsEditor::BeepChoice::None;

    e.EventLog = Check_EventLog->isChecked();
    e.LogOutput = Check_LogOutput->isChecked();
    e.LogPath = platform::ToLocalPath(Edit_LogPath->text());
    e.MaxLines = Spin_MaxLines->value();
    e.AutoReconnect = Check_AutoReconnect->isChecked();
    e.Capabilities = Check_Capabilities->isChecked();
    e.NotifyDesktop = Check_NotifyDesktop->isChecked();
    e.NotifyTray = Check_NotifyTray->isChecked();
}

void Tfrm_Set::ShowPreview(FontKind kind) {
    const int k = static_cast<int>(kind);
    QTextEdit* preview = Rich_Font[k];
    const Colour background = kind == FontKind::Keyword ? editor_.KeywordPreviewColour() : editor_.Bgcolor;
    QPalette palette = preview->palette();
    palette.setColor(QPalette::Base, widgets::ColourOf(background));
    preview->setPalette(palette);
    preview->clear();
    QTextCursor cursor(preview->document());
    cursor.insertText(kSample, widgets::FormatOf(editor_.Fonts[k]));
}

void Tfrm_Set::ShowKeywords() {
    showing_ = true;
    Lst_Keywords->clear();
    for (const std::string& k : editor_.Keywords()) Lst_Keywords->addItem(FromSjis(k));
    const int selected = editor_.SelectedKeyword();
    Lst_Keywords->setCurrentRow(
        selected, selected >= 0 ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Clear);
    showing_ = false;
    ShowKeywordButtons();
}

void Tfrm_Set::ShowKeywordButtons() {
    Btn_KeywordAdd->setEnabled(editor_.CanAddKeyword());
    Btn_KeywordDelete->setEnabled(editor_.CanDeleteKeyword());
}

void Tfrm_Set::ShowEvents() {
    showing_ = true;
    Liv_Event->clear();
    for (const EventTrigger& t : editor_.Events()) Liv_Event->addItem(FromSjis(t.Name));
    const int selected = editor_.SelectedEvent();
    Liv_Event->setCurrentRow(
        selected, selected >= 0 ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Clear);
    showing_ = false;
    ShowEventFields();
}

void Tfrm_Set::ShowEventFields() {
    showing_ = true;
    const EventTrigger& f = editor_.EventFields;
    Edit_EventName->setText(FromSjis(f.Name));
    Edit_Trigger->setText(FromSjis(f.Trigger));
    Edit_Prefix->setText(FromSjis(f.Prefix));
    Edit_Param[0]->setText(FromSjis(f.Param1));
    Edit_Param[1]->setText(FromSjis(f.Param2));
    Edit_Param[2]->setText(FromSjis(f.Param3));
    Edit_Param[3]->setText(FromSjis(f.Param4));
    Check_ExcludeOwn->setChecked(f.ExcludeOwn);
    Edit_Command->setText(FromSjis(f.Command));
    showing_ = false;
    ShowEventButtons();
}

void Tfrm_Set::ShowEventButtons() {
    Btn_EventAdd->setEnabled(editor_.CanAddEvent());
    Btn_EventUpdate->setEnabled(editor_.CanUpdateEvent());
    Btn_EventDelete->setEnabled(editor_.CanDeleteEvent());
    Btn_EventUp->setEnabled(editor_.CanMoveEventUp());
    Btn_EventDown->setEnabled(editor_.CanMoveEventDown());
}

void Tfrm_Set::EventFieldChanged() {
    if (showing_) return;
    EventTrigger& f = editor_.EventFields;
    f.Name = ToSjis(Edit_EventName->text());
    f.Trigger = ToSjis(Edit_Trigger->text());
    f.Prefix = ToSjis(Edit_Prefix->text());
    f.Param1 = ToSjis(Edit_Param[0]->text());
    f.Param2 = ToSjis(Edit_Param[1]->text());
    f.Param3 = ToSjis(Edit_Param[2]->text());
    f.Param4 = ToSjis(Edit_Param[3]->text());
    f.ExcludeOwn = Check_ExcludeOwn->isChecked();
    f.Command = ToSjis(Edit_Command->text());
    ShowEventButtons();
}

namespace {
int SelectedRow(QListWidget* list) {
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}
}  // namespace

void Tfrm_Set::KeywordSelectionChanged() {
    if (showing_) return;
    editor_.SelectKeyword(SelectedRow(Lst_Keywords));
    ShowKeywordButtons();
}

void Tfrm_Set::EventSelectionChanged() {
    if (showing_) return;
    editor_.SelectEvent(SelectedRow(Liv_Event));
    ShowEventFields();
}

SettingsEditor::Confirm Tfrm_Set::Asker() {
    return [this](const std::string& question) { return dialogs_->AskYesNo(this, question); };
}

// ---- handlers ---------------------------------------------------------------

void Tfrm_Set::Btn_FontClick(FontKind kind) {
    const int k = static_cast<int>(kind);
    const std::optional<QFont> chosen = pickFont(this, widgets::FormatOf(editor_.Fonts[k]).font());
    if (!chosen) return;
    editor_.Fonts[k] = FontFromQFont(editor_.Fonts[k], *chosen);
    ShowPreview(kind);
}

void Tfrm_Set::Btn_FontColorClick(FontKind kind) {
    const int k = static_cast<int>(kind);
    const std::optional<QColor> chosen = pickColour(this, widgets::ColourOf(editor_.Fonts[k].Color));
    if (!chosen || !chosen->isValid()) return;
    editor_.Fonts[k].Color = ColourFrom(*chosen);
    ShowPreview(kind);
}

void Tfrm_Set::Btn_ColorClick() {
    const std::optional<QColor> chosen = pickColour(this, widgets::ColourOf(editor_.Bgcolor));
    if (!chosen || !chosen->isValid()) return;
    editor_.Bgcolor = ColourFrom(*chosen);
    for (int k = 0; k < base::FontKindCount; ++k) {
        if (static_cast<FontKind>(k) != FontKind::Keyword) ShowPreview(static_cast<FontKind>(k));
    }
}

void Tfrm_Set::Btn_KeywordAddClick() {
    const int error = editor_.AddKeyword();
    if (error != 0) {
        dialogs_->ShowError(this, error);
        return;
    }
    ShowKeywords();
}

bool Tfrm_Set::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit_Keyword && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (Btn_KeywordAdd->isEnabled()) Btn_KeywordAddClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tfrm_Set::Btn_KeywordDeleteClick() {
    editor_.DeleteKeyword(Asker());
    ShowKeywords();
}

void Tfrm_Set::Btn_EventAddClick() {
    if (editor_.AddEvent()) ShowEvents();
}

void Tfrm_Set::Btn_EventUpdateClick() {
    editor_.UpdateEvent(Asker());
    ShowEvents();
}

void Tfrm_Set::Btn_EventDeleteClick() {
    editor_.DeleteEvent(Asker());
    ShowEvents();
}

void Tfrm_Set::Btn_EventUpClick() {
    const SettingsEditor::Focus focus = editor_.MoveEventUp();
    ShowEvents();
    if (focus == SettingsEditor::Focus::EventDown) Btn_EventDown->setFocus();
}

void Tfrm_Set::Btn_EventDownClick() {
    const SettingsEditor::Focus focus = editor_.MoveEventDown();
    ShowEvents();
    if (focus == SettingsEditor::Focus::EventUp) Btn_EventUp->setFocus();
}

void Tfrm_Set::Btn_BrowseClick() {
    const std::string folder = dialogs_->BrowseForFolder(this);
    if (folder.empty()) return;
    if (!LogFolderStorable(folder, platform::ToLocalPath(settingsFolder_))) {
        RefuseLogFolder(folder);
        return;
    }
    Edit_LogPath->setText(platform::FromLocalPath(folder));
}

void Tfrm_Set::RefuseLogFolder(const std::string& folder) {
    dialogs_->ShowErrorMessage(this, FromSjis(texts::LogFolderNotStorable) + platform::FromLocalPath(folder));
    ShowPageOf(Edit_LogPath);
}

void Tfrm_Set::ShowPageOf(QWidget* field) {
    for (int i = 0; i < PageControl->count(); ++i) {
        if (PageControl->widget(i)->isAncestorOf(field)) PageControl->setCurrentIndex(i);
    }
    field->setFocus();
}

bool Tfrm_Set::WireTextsSendable() {
    const std::pair<QLineEdit*, const char*> fields[] = {{Edit_Message[SettingsEditor::Away], "AWAY"},
                                                         {Edit_Message[SettingsEditor::Kick], "KICK"},
                                                         {Edit_Message[SettingsEditor::Part], "PART"},
                                                         {Edit_Message[SettingsEditor::Quit], "QUIT"},
                                                         {Edit_UserInfo, "USERINFO"}};
    for (const auto& [edit, name] : fields) {
        const session::TypedText typed = platform::ReadTyped(edit->text());
        if (typed.Refused.empty()) continue;
        dialogs_->ShowErrorMessage(this, QString::fromLatin1(name) + QStringLiteral("：\n") +
                                             FromSjis(session::RefusedText(typed.Refused)));
        ShowPageOf(edit);
        return false;
    }
    return true;
}

void Tfrm_Set::BitBtn_OKClick() {
    if (!WireTextsSendable()) return;
    const std::string folder = platform::ToLocalPath(Edit_LogPath->text());
    if (!LogFolderStorable(folder, platform::ToLocalPath(settingsFolder_))) {
        RefuseLogFolder(folder);
        return;
    }
    CollectControls();
    Settings applied = result_;
    editor_.Apply(applied, platform::ToLocalPath(settingsFolder_));
    result_ = std::move(applied);
    Edit_LogPath->setText(platform::FromLocalPath(editor_.LogPath));
    accept();
}

void Tfrm_Set::ApplyTo(Settings& settings) {
    editor_.Apply(settings, platform::ToLocalPath(settingsFolder_));
}

}  // namespace velmok::config
