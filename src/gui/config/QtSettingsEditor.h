// The settings dialog ("詳細設定"). Its decisions live in SettingsEditor; this
// window lays out the seven pages, forwards clicks and shows the editor's state.
#pragma once
#include <QDialog>
#include <QFont>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "config/Settings.h"
#include "config/SettingsEditor.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTextEdit;

namespace velmok::platform {
class Dialogs;
class QtDialogs;
}  // namespace velmok::platform

namespace velmok::config {

// A font chosen in the font dialog as a settings font. The font dialog has no
// colour (the row's colour button sets it), so Color stays that of base, as
// does Charset; a family name that code page 932 cannot hold keeps base's name.
FontSetting FontFromQFont(const FontSetting& base, const QFont& font);

class Tfrm_Set : public QDialog {
    Q_OBJECT
public:
    Tfrm_Set(QWidget* owner, const Settings& settings, platform::Dialogs* dialogs,
             const QString& settingsFolder);
    ~Tfrm_Set() override;

    // The settings as OK left them; before OK (and after Cancel) the settings
    // the dialog opened with.
    const Settings& Result() const { return result_; }
    // After OK: writes what the dialog edits into settings, and nothing else,
    // so what changed meanwhile elsewhere (profiles, certificates) stays.
    void ApplyTo(Settings& settings);
    const SettingsEditor& Editor() const { return editor_; }

    // The platform's font and colour dialogs; std::nullopt means Cancel.
    // Replaceable so the choice can be scripted.
    std::function<std::optional<QFont>(QWidget* owner, const QFont& initial)> pickFont;
    std::function<std::optional<QColor>(QWidget* owner, const QColor& initial)> pickColour;

    static const QString kSample;

    QTabWidget* PageControl;

    // Fonts, indexed by base::FontKind (the keyword pair sits on the keyword page).
    std::array<QTextEdit*, base::FontKindCount> Rich_Font{};
    std::array<QPushButton*, base::FontKindCount> Btn_Font{};
    // The font dialog has no colour; each row has its own colour button.
    std::array<QPushButton*, base::FontKindCount> Btn_FontColor{};
    QPushButton* Btn_Color;

    // Tabs: positions top, bottom, left, right.
    std::array<QRadioButton*, 4> Rad_ServerPosition{};
    QRadioButton* Rad_ServerMultiLine;
    QRadioButton* Rad_ServerSingleLine;
    std::array<QRadioButton*, 4> Rad_ChannelPosition{};
    QRadioButton* Rad_ChannelMultiLine;
    QRadioButton* Rad_ChannelSingleLine;
    std::array<QCheckBox*, SettingsEditor::UnreadCount> Check_Unread{};

    // CTCP, indexed by SettingsEditor::CtcpAnswer.
    std::array<QRadioButton*, SettingsEditor::CtcpAnswerCount> Rad_Answer{};
    std::array<QRadioButton*, SettingsEditor::CtcpAnswerCount> Rad_NoAnswer{};
    QLineEdit* Edit_UserInfo;

    // Protection mode.
    QComboBox* Cmb_MaxReply;
    QSlider* Trb_Interval;
    QCheckBox* Check_Priv;
    QCheckBox* Check_Invite;
    QCheckBox* Check_Whois;

    // Keywords.
    QLineEdit* Edit_Keyword;
    QPushButton* Btn_KeywordAdd;
    QListWidget* Lst_Keywords;
    QPushButton* Btn_KeywordDelete;
    QCheckBox* Check_KeywordPrivate;
    QCheckBox* Check_KeywordNotice;
    QCheckBox* Check_KeywordDCC;
    QCheckBox* Check_KeywordOwnNick;
    // General, warning, none.
    std::array<QRadioButton*, 3> Rad_Beep{};

    // Event triggers.
    QListWidget* Liv_Event;
    QLineEdit* Edit_EventName;
    QLineEdit* Edit_Trigger;
    QLineEdit* Edit_Prefix;
    std::array<QLineEdit*, 4> Edit_Param{};
    QCheckBox* Check_ExcludeOwn;
    QLineEdit* Edit_Command;
    QPushButton* Btn_EventAdd;
    QPushButton* Btn_EventUpdate;
    QPushButton* Btn_EventDelete;
    QPushButton* Btn_EventUp;
    QPushButton* Btn_EventDown;
    QCheckBox* Check_EventLog;

    // Other settings.
    QCheckBox* Check_LogOutput;
    QLineEdit* Edit_LogPath;
    QPushButton* Btn_Browse;
    // AWAY, KICK, PART, QUIT.
    std::array<QLineEdit*, SettingsEditor::MessageCount> Edit_Message{};
    QSpinBox* Spin_MaxLines;
    QCheckBox* Check_AutoReconnect;
    QCheckBox* Check_Capabilities;  // CAP LS: capabilities, SASL, server time
    QCheckBox* Check_NotifyDesktop;
    QCheckBox* Check_NotifyTray;

    QPushButton* BitBtn_OK;
    QPushButton* BitBtn_Cancel;

    void Btn_FontClick(base::FontKind kind);
    void Btn_FontColorClick(base::FontKind kind);
    void Btn_ColorClick();
    void Btn_KeywordAddClick();
    void Btn_KeywordDeleteClick();
    void Btn_EventAddClick();
    void Btn_EventUpdateClick();
    void Btn_EventDeleteClick();
    void Btn_EventUpClick();
    void Btn_EventDownClick();
    void Btn_BrowseClick();
    void BitBtn_OKClick();

protected:
    // Enter in the keyword field adds the keyword instead of closing the dialog.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Page builders (QtSettingsEditorPages.cpp).
    QWidget* BuildFontPage();
    QWidget* BuildTabPage();
    QWidget* BuildCtcpPage();
    QWidget* BuildDefencePage();
    QWidget* BuildKeywordPage();
    QWidget* BuildEventPage();
    QWidget* BuildOtherPage();
    void WireEditors();

    // Editor state into the controls, and back.
    void LoadControls();
    void CollectControls();
    void ShowPreview(base::FontKind kind);
    void ShowKeywords();
    void ShowKeywordButtons();
    void ShowEvents();
    void ShowEventFields();
    void ShowEventButtons();
    void EventFieldChanged();
    void KeywordSelectionChanged();
    void EventSelectionChanged();
    SettingsEditor::Confirm Asker();
    // OK refuses texts the wire cannot carry and a log folder velmok.ini
    // cannot keep, saying why and showing the field.
    bool WireTextsSendable();
    void RefuseLogFolder(const std::string& folder);
    void ShowPageOf(QWidget* field);

    SettingsEditor editor_;
    Settings result_;
    platform::Dialogs* dialogs_;
    // Stands in when the owner passes no boxes of its own.
    std::unique_ptr<platform::QtDialogs> ownDialogs_;
    QString settingsFolder_;
    // Set while the controls are being filled, so their signals are not
    // mistaken for the user's edits.
    bool showing_ = false;
};

}  // namespace velmok::config
