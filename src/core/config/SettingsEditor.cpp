#include "config/SettingsEditor.h"

#include <algorithm>
#include <utility>

#include "base/Texts.h"

namespace velmok::config {

namespace {

constexpr int kDuplicateKeyword = 33;

// Positions the tab sets know; anything else opens as "top".
int PositionOf(int stored) { return stored >= 0 && stored <= 3 ? stored : 0; }

}  // namespace

std::string WithoutTrailingSeparator(const std::string& folder) {
    std::string out = folder;
    while (out.size() > 1 && (out.back() == '/' || out.back() == '\\')) out.pop_back();
    return out;
}

SettingsEditor::BeepChoice SettingsEditor::BeepChoiceOf(int beep) {
    if (beep == 0) return BeepChoice::General;
    if (beep == 48) return BeepChoice::Warning;
    return BeepChoice::None;
}

int SettingsEditor::BeepValueOf(BeepChoice choice) {
    switch (choice) {
        case BeepChoice::General:
            return 0;
        case BeepChoice::Warning:
            return 48;
        case BeepChoice::None:
            break;
    }
    return -1;
}

SettingsEditor::SettingsEditor(const Settings& s)
    : Fonts(s.Fonts),
      Bgcolor(s.Bgcolor),
      ServerPosition(PositionOf(s.Server_Position)),
      ServerMultiLine(s.Server_MultiLine),
      ChannelPosition(PositionOf(s.Channel_Position)),
      ChannelMultiLine(s.Channel_MultiLine),
      UnreadChecks{s.Private_Check, s.Notice_Check, s.CTCP_Check,
                   s.Command_Check, s.Server_Check, s.Error_Check},
      Answers{s.ReplyClientInfo, s.ReplyFinger, s.ReplyTime, s.ReplyUserInfo,
              s.ReplyVersion,    s.ReplyPing,   s.DccSend,   s.DccChat},
      UserInfoText(s.UserInfoMessage),
      // The store keeps both in range; values set elsewhere fall back to the
      // store's defaults rather than to a slider end or an empty list entry.
      Interval(s.Interval >= 0 && s.Interval <= kIntervalMax ? s.Interval : 500),
      MaxReplyIndex(s.MaxReply >= 1 && s.MaxReply <= kMaxReplyEntries ? s.MaxReply - 1 : 9),
      Priv(s.DefencePriv),
      Invite(s.DefenceInvite),
      Whois(s.DefenceWhois),
      KeywordPrivate(s.KeywordPrivate),
      KeywordNotice(s.KeywordNotice),
      KeywordDCC(s.KeywordDCC),
      KeywordOwnNick(s.KeywordOwnNick),
      Beep(BeepChoiceOf(s.Beep)),
      EventLog(s.EventLog),
      LogOutput(s.LogOutput),
      LogPath(s.LogPath),
      Messages{s.AwayMessage, s.KickMessage, s.PartMessage, s.QuitMessage},
      MaxLines(s.MaxLines),
      AutoReconnect(s.AutoReconnect),
      Capabilities(s.Capabilities),
      NotifyDesktop(s.NotifyDesktop),
      NotifyTray(s.NotifyTray),
      keywords_(s.Keywords),
      events_(s.Events),
      keywordPreviewColour_(s.Bgcolor) {}

// ---- keywords -----------------------------------------------------------------

void SettingsEditor::SelectKeyword(int row) {
    selectedKeyword_ = row >= 0 && row < static_cast<int>(keywords_.size()) ? row : -1;
}

int SettingsEditor::AddKeyword() {
    if (!CanAddKeyword()) return 0;
    for (const std::string& k : keywords_) {
        if (k == KeywordField) return kDuplicateKeyword;
    }
    keywords_.push_back(KeywordField);
    return 0;
}

void SettingsEditor::DeleteKeyword(const Confirm& confirm) {
    if (!CanDeleteKeyword() || !confirm(texts::AskDelete)) return;
    keywords_.erase(keywords_.begin() + selectedKeyword_);
    selectedKeyword_ = -1;
}

// ---- event triggers -----------------------------------------------------------

bool SettingsEditor::CanAddEvent() const {
    return !EventFields.Name.empty() && !EventFields.Trigger.empty() && !EventFields.Command.empty();
}

bool SettingsEditor::CanMoveEventDown() const {
    return selectedEvent_ >= 0 && selectedEvent_ < static_cast<int>(events_.size()) - 1;
}

void SettingsEditor::SelectEvent(int row) {
    if (row >= 0 && row < static_cast<int>(events_.size())) {
        selectedEvent_ = row;
        EventFields = events_[row];
    } else {
        selectedEvent_ = -1;
        EventFields = EventTrigger{};
    }
}

bool SettingsEditor::AddEvent() {
    if (!CanAddEvent()) return false;
    events_.push_back(EventFields);
    SelectEvent(static_cast<int>(events_.size()) - 1);
    return true;
}

void SettingsEditor::UpdateEvent(const Confirm& confirm) {
    if (!CanUpdateEvent() || !confirm(texts::AskUpdate)) return;
    events_[selectedEvent_] = EventFields;
}

void SettingsEditor::DeleteEvent(const Confirm& confirm) {
    if (!CanDeleteEvent() || !confirm(texts::AskDelete)) return;
    events_.erase(events_.begin() + selectedEvent_);
    // The removed row took the selection with it; the fields follow.
    SelectEvent(-1);
}

SettingsEditor::Focus SettingsEditor::MoveEventUp() {
    if (!CanMoveEventUp()) return Focus::None;
    std::swap(events_[selectedEvent_], events_[selectedEvent_ - 1]);
    SelectEvent(selectedEvent_ - 1);
    // The pressed button is about to be disabled; hand the focus on.
    return CanMoveEventUp() ? Focus::None : Focus::EventDown;
}

SettingsEditor::Focus SettingsEditor::MoveEventDown() {
    if (!CanMoveEventDown()) return Focus::None;
    std::swap(events_[selectedEvent_], events_[selectedEvent_ + 1]);
    SelectEvent(selectedEvent_ + 1);
    return CanMoveEventDown() ? Focus::None : Focus::EventUp;
}

// ---- OK -----------------------------------------------------------------------

void SettingsEditor::Apply(Settings& s, const std::string& settingsFolder) {
    if (LogPath.empty()) LogPath = WithoutTrailingSeparator(settingsFolder);

    s.Bgcolor = Bgcolor;
    s.Fonts = Fonts;

    s.Server_Position = PositionOf(ServerPosition);
    s.Channel_Position = PositionOf(ChannelPosition);
    s.Server_MultiLine = ServerMultiLine;
    s.Channel_MultiLine = ChannelMultiLine;
    s.Private_Check = UnreadChecks[UnreadPrivate];
    s.Notice_Check = UnreadChecks[UnreadNotice];
    s.CTCP_Check = UnreadChecks[UnreadCtcp];
    s.Command_Check = UnreadChecks[UnreadCommand];
    s.Server_Check = UnreadChecks[UnreadServer];
    s.Error_Check = UnreadChecks[UnreadError];

    s.AwayMessage = Messages[Away];
    s.KickMessage = Messages[Kick];
    s.PartMessage = Messages[Part];
    s.QuitMessage = Messages[Quit];

    s.ReplyClientInfo = Answers[ClientInfo];
    s.ReplyFinger = Answers[Finger];
    s.ReplyTime = Answers[Time];
    s.ReplyUserInfo = Answers[UserInfo];
    s.ReplyVersion = Answers[Version];
    s.ReplyPing = Answers[Ping];
    s.UserInfoMessage = UserInfoText;
    s.DccChat = Answers[DccChat];
    s.DccSend = Answers[DccSend];

    s.Interval = Interval < 0 ? 0 : (Interval > kIntervalMax ? kIntervalMax : Interval);
    s.MaxReply = (MaxReplyIndex >= 0 && MaxReplyIndex < kMaxReplyEntries ? MaxReplyIndex : 9) + 1;
    s.DefencePriv = Priv;
    s.DefenceInvite = Invite;
    s.DefenceWhois = Whois;

    s.Keywords = keywords_;
    s.KeywordPrivate = KeywordPrivate;
    s.KeywordNotice = KeywordNotice;
    s.KeywordDCC = KeywordDCC;
    s.KeywordOwnNick = KeywordOwnNick;
    s.Beep = BeepValueOf(Beep);

    s.EventLog = EventLog;
    s.Events = events_;

    s.LogOutput = LogOutput;
    s.LogPath = LogPath;
    s.MaxLines = std::clamp(MaxLines, Settings::kMaxLinesLeast, Settings::kMaxLinesMost);
    s.AutoReconnect = AutoReconnect;
    s.Capabilities = Capabilities;
    s.NotifyDesktop = NotifyDesktop;
    s.NotifyTray = NotifyTray;
}

}  // namespace velmok::config
