// What the settings dialog decides: its working copy of the settings, the keyword
// and event-trigger editors with their button states, and what OK writes back.
// The dialog shows this state and forwards the user's actions; it never holds a
// second copy of any value kept here.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "config/Settings.h"

namespace velmok::config {

class SettingsEditor {
public:
    // Asked before a keyword or trigger is replaced or removed; true means Yes.
    using Confirm = std::function<bool(const std::string& question)>;

    // Radio buttons of the keyword sound.
    enum class BeepChoice { General, Warning, None };
    // Which button should take the keyboard focus after a trigger moved.
    enum class Focus { None, EventUp, EventDown };

    // Order of the CTCP page's answer groups.
    enum CtcpAnswer { ClientInfo, Finger, Time, UserInfo, Version, Ping, DccSend, DccChat, CtcpAnswerCount };
    // Order of the six unread check boxes.
    enum Unread {
        UnreadPrivate,
        UnreadNotice,
        UnreadCtcp,
        UnreadCommand,
        UnreadServer,
        UnreadError,
        UnreadCount
    };
    // The messages of the other-settings page.
    enum MessageField { Away, Kick, Part, Quit, MessageCount };

    static constexpr int kMaxReplyEntries = 20;
    static constexpr int kIntervalMax = 1000;

    explicit SettingsEditor(const Settings& settings);

    // ---- fonts page ------------------------------------------------------------
    std::array<FontSetting, base::FontKindCount> Fonts;
    // The background of the font page's previews; OK stores it.
    Colour Bgcolor = 0;
    // The keyword preview keeps the background it opened with.
    Colour KeywordPreviewColour() const { return keywordPreviewColour_; }

    // ---- tabs page: positions 0 top, 1 bottom, 2 left, 3 right -------------------
    int ServerPosition = 0;
    bool ServerMultiLine = true;
    int ChannelPosition = 0;
    bool ChannelMultiLine = true;
    std::array<bool, UnreadCount> UnreadChecks{};

    // ---- CTCP page --------------------------------------------------------------
    std::array<bool, CtcpAnswerCount> Answers{};
    std::string UserInfoText;

    // ---- protection page --------------------------------------------------------
    int Interval = 500;
    int MaxReplyIndex = 9;  // entry 0 is "1"
    bool Priv = true;
    bool Invite = true;
    bool Whois = false;

    // ---- keyword page -----------------------------------------------------------
    // The text of the keyword field; the add button follows it.
    std::string KeywordField;
    bool KeywordPrivate = true;
    bool KeywordNotice = false;
    bool KeywordDCC = true;
    bool KeywordOwnNick = true;
    BeepChoice Beep = BeepChoice::General;

    const std::vector<std::string>& Keywords() const { return keywords_; }
    int SelectedKeyword() const { return selectedKeyword_; }
    // -1: no keyword selected.
    void SelectKeyword(int row);
    bool CanAddKeyword() const { return !KeywordField.empty(); }
    bool CanDeleteKeyword() const { return selectedKeyword_ >= 0; }
    // 0 when the field's text was appended, else the message number to show.
    int AddKeyword();
    // Asks first; on Yes the selected keyword goes and nothing stays selected.
    void DeleteKeyword(const Confirm& confirm);

    // ---- event page -------------------------------------------------------------
    // The nine edit fields of the trigger editor.
    EventTrigger EventFields;
    bool EventLog = false;

    const std::vector<EventTrigger>& Events() const { return events_; }
    int SelectedEvent() const { return selectedEvent_; }
    // Fills the fields from the row; -1 empties them.
    void SelectEvent(int row);
    bool CanAddEvent() const;
    bool CanUpdateEvent() const { return selectedEvent_ >= 0; }
    bool CanDeleteEvent() const { return selectedEvent_ >= 0; }
    bool CanMoveEventUp() const { return selectedEvent_ > 0; }
    bool CanMoveEventDown() const;
    // Appends the fields as a new row and selects it. False when add is disabled.
    bool AddEvent();
    void UpdateEvent(const Confirm& confirm);
    void DeleteEvent(const Confirm& confirm);
    // Move the selected row and keep it selected. When the row reaches an end, the
    // button that pushed it there is disabled and the focus goes to the other one.
    Focus MoveEventUp();
    Focus MoveEventDown();

    // ---- other page -------------------------------------------------------------
    bool LogOutput = false;
    std::string LogPath;
    std::array<std::string, MessageCount> Messages;
    // Lines each view keeps; OK keeps it within the settings' range.
    int MaxLines = Settings::kMaxLinesDefault;
    bool AutoReconnect = true;
    bool Capabilities = true;
    bool NotifyDesktop = true;
    bool NotifyTray = true;

    // OK: writes every value of the dialog into settings. An empty log folder
    // becomes settingsFolder without its trailing separator, in the field too.
    void Apply(Settings& settings, const std::string& settingsFolder);

    static BeepChoice BeepChoiceOf(int beep);
    static int BeepValueOf(BeepChoice choice);

private:
    std::vector<std::string> keywords_;
    int selectedKeyword_ = -1;
    std::vector<EventTrigger> events_;
    int selectedEvent_ = -1;
    Colour keywordPreviewColour_ = 0;
};

// A folder without the separators at its end; a bare root keeps one.
std::string WithoutTrailingSeparator(const std::string& folder);

}  // namespace velmok::config
