// Turns each complete server line of a slot into state changes, answers and
// one shown line.
#include <exception>
#include <string>

#include "base/Texts.h"
#include "session/Codec.h"
#include "session/Engine.h"

namespace velmok::session {

namespace {

const char* const CrLf = "\r\n";

bool IsDecimal(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Numerics are recognised by their decimal text; anything too long to be a
// real numeric still counts as "401 or more".
bool IsErrorNumeric(const std::string& command) {
    if (!IsDecimal(command)) return false;
    std::size_t first = command.find_first_not_of('0');
    if (first == std::string::npos) return false;
    if (command.size() - first > 9) return true;
    return std::stoi(command.substr(first)) >= 401;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Nick and channel names fold ASCII letters only.
bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

// Takes the text up to the next blank off the front (all of it when there is
// no blank).
std::string TakeField(std::string& text) {
    std::size_t blank = text.find(' ');
    std::string field = text.substr(0, blank);
    text.erase(0, blank == std::string::npos ? text.size() : blank + 1);
    return field;
}

// How a line is shown: category font, tab-mark switch, keyword switch.
struct Presentation {
    FontKind font;
    bool markTab;
    bool keywords;
};

}  // namespace

void Engine::DispatchReceived(int slot) {
    SlotState& s = slots_[slot];
    // A read arriving while a dispatch of this slot waits for the user (the
    // modal DCC question runs a nested event loop) only appends to the buffer:
    // the running dispatch takes the new lines in their turn.
    if (s.Dispatching) return;
    s.Dispatching = true;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{s.Dispatching};

    // Lines are taken by offset and the consumed front is erased once, so a
    // read of many lines costs one pass over the bytes. The buffer is looked
    // at afresh for every line: a nested read may have appended to it, and a
    // reset in between empties it.
    std::size_t pos = 0;
    const unsigned resets = s.Resets;
    while (std::optional<std::string> line = NextLine(s.ReceiveBuffer, pos)) {
        if (line->size() > MaxPendingLine) {
            // Neither shown nor logged in full: one short notice instead.
            NoticeDroppedLine(slot, line->size(), false);
            if (s.Resets != resets) return;
            continue;
        }
        std::optional<IrcMessage> message = ParseLine(*line, s.Session.ServerName);
        if (!message) continue;
        try {
            DispatchMessage(slot, *message);
        } catch (const std::exception&) {
            // A line that makes a handler fail is dropped; the connection and
            // the lines after it go on.
        }
        if (s.Resets != resets) return;  // the buffer belongs to a connection that is gone
    }
    s.ReceiveBuffer.erase(0, pos);
}

void Engine::DispatchMessage(int slot, const IrcMessage& m) {
    SlotState& s = slots_[slot];
    ServerSession& session = s.Session;
    const config::Settings& cfg = settings_;
    const std::string& command = m[1];
    const std::string& sender = m[0];

    Presentation show{FontKind::Server, cfg.Server_Check, false};
    if (IsErrorNumeric(command)) {
        frontend_.Beep(BeepKind::Warning);
        show = {FontKind::Error, cfg.Error_Check, false};
    }

    std::string text = command;
    for (int i = 2; i <= 16; ++i)
        if (!m[i].empty() && m[i] != session.Nick) text += " " + m[i];
    std::string target = m[2];
    bool toMe = false;  // a private message to the own nick

    // ---- numeric replies ----
    if (command == "001") {
        // The welcome names the nick the server registered; whatever we asked
        // for (a retry, a nick the server shortened), that is the one it knows.
        if (!m[2].empty() && m[2].find(' ') == std::string::npos && m[2] != "*")
            session.Nick = m[2];
        else if (s.NickRetryCounter != 0)
            session.Nick += std::to_string(s.NickRetryCounter);
        s.NickRetryCounter = 0;
        s.Registered = true;
        frontend_.EnableAction(Action::FileDisConnect, true);
        frontend_.EnableAction(Action::CommandAway, true);
        frontend_.SetSendTimer(true);
        session.ServerName = sender;
        frontend_.ServerRenamed(slot, session.ServerName);
        frontend_.UpdateTitle(slot);
        bool someFree = false;
        for (const SlotState& other : slots_) someFree = someFree || !other.Registered;
        frontend_.EnableAction(Action::FileConnect, someFree);

        std::string rest = session.AutoJoin;
        while (rest.find(' ') != std::string::npos) {
            std::string flag = TakeField(rest);
            std::string channel = TakeField(rest);
            std::string key = TakeField(rest);
            // An entry without a channel would only earn an error reply. A
            // name goes as the user wrote it: on servers with "!" channels,
            // "!name" joins the existing one and "!!name" creates a new one.
            if (flag == "0" || channel.empty()) continue;
            EnqueueLine(Queue::A, slot, "JOIN " + SjisToJis(channel) + " " + SjisToJis(key), 2);
        }
        RejoinChannels(slot);
    } else if (command == "305") {
        session.Away = false;
        frontend_.SetAwayState(false);
        if (session.Nick != s.SavedNick && !s.SavedNick.empty())
            EnqueueLine(Queue::A, slot, "NICK " + s.SavedNick, 2);
    } else if (command == "306") {
        session.Away = true;
        frontend_.SetAwayState(true);
        if (session.AwayNick != session.Nick) {
            s.SavedNick = session.Nick;
            if (!session.AwayNick.empty()) EnqueueLine(Queue::A, slot, "NICK " + session.AwayNick, 2);
        }
    } else if (command == "315") {
        if (HandleEndOfWho(slot, m)) return;
    } else if (command == "352") {
        if (HandleWhoReply(slot, m)) return;
    } else if (command == "301" || command == "311" || command == "312" || command == "313" ||
               command == "317" || command == "319") {
        HandleWhoisReply(slot, m);
    } else if (command == "318") {
        HandleEndOfWhois(slot, m);
    } else if (command == "369") {
        HandleEndOfWhowas(slot, m);
    } else if (command == "322") {
        HandleListEntry(slot, m);
        return;
    } else if (command == "323") {
        if (HandleListEnd(slot, m)) return;
    } else if (command == "353") {
        for (ChannelRecord& record : s.Channels) {
            if (record.IsFree() || !SameName(record.Name, m[4])) continue;
            AddNames(slot, m[5], m[4]);
            record.NamesPending = true;
        }
    } else if (command == "366") {
        EndOfNames(slot, m[3]);
    } else if (command == "367") {
        if (HandleBanEntry(slot, m)) return;
    } else if (command == "368") {
        if (HandleBanEnd(slot, m)) return;
    } else if (command == "324") {
        ApplyChannelModes(slot, m);
    } else if (command == "332") {
        SetTopic(slot, m[3], m[4]);
    } else if (command == "401") {
        text = m[3] + " :" + m[4];
        target = m[3];
        show = {FontKind::Error, cfg.Error_Check, false};
    } else if (command == "433" || command == "437") {
        if (!s.Registered) {
            ++s.NickRetryCounter;
            SendNow(slot, SjisToJis("NICK " + session.Nick + std::to_string(s.NickRetryCounter) + CrLf));
        }
    } else if (command == "475") {
        InputBoxRequest box;
        box.Caption = "JOIN " + WireToSjis(m[3]);
        box.ComboVisible = false;
        box.Label2Visible = false;
        box.Edit2Visible = false;
        box.Label1 = texts::KeyLabel;
        box.EmptyMessage = 12;
        box.AuxText = m[3];
        box.Slot = slot;
        box.Kind = 5;
        box.Modal = false;
        frontend_.OpenInputBox(box);
    }

    // ---- commands ----
    if (command == "PING") {
        SendNow(slot, "PONG " + LocalAddress + " " + m[2] + CrLf);
        return;
    }
    if (command == "PONG") return;

    RunEventTriggers(slot, m.FullPrefix, m);
    const Presentation commandStyle{FontKind::Command, cfg.Command_Check, false};

    if (command == "JOIN") {
        const std::string& channel = m[2];
        if (SameName(sender, session.Nick)) {
            if (!ReattachWindow(slot, channel)) OpenChannelTab(slot, channel, TakeJoinAsked(slot, channel));
            EnqueueLine(Queue::B, slot, "MODE " + channel, 2);
        } else {
            AddMember(slot, channel, sender);
        }
        text = sender + " JOIN (" + m.FullPrefix + ")";
        target = channel;
        show = commandStyle;
    } else if (command == "PART") {
        const std::string& channel = m[2];
        if (SameName(sender, session.Nick)) {
            CloseChannelTab(slot, channel);
            return;
        }
        RemoveMember(slot, channel, sender);
        text = sender + " PART";
        if (!m[3].empty()) text += " (" + m[3] + ")";
        target = channel;
        show = commandStyle;
    } else if (command == "KICK") {
        const std::string& channel = m[2];
        const std::string& kicked = m[3];
        if (SameName(kicked, session.Nick)) {
            CloseChannelTab(slot, channel);
            // The channel window is gone, so the line lands in the server window.
            text = sender + " KICK " + channel + " " + kicked + " (" + m[4] + ")";
        } else {
            RemoveMember(slot, channel, kicked);
            text = sender + " KICK " + kicked + " (" + m[4] + ")";
        }
        target = channel;
        show = commandStyle;
    } else if (command == "MODE") {
        target = m[2];
        text = ApplyModeChange(slot, m);
        if (text.empty()) return;  // user modes are not shown
        show = commandStyle;
    } else if (command == "NICK") {
        MemberNick(slot, sender, m[2]);
        return;
    } else if (command == "QUIT") {
        MemberQuit(slot, sender, m[2]);
        return;
    } else if (command == "TOPIC") {
        SetTopic(slot, m[2], m[3]);
        text = sender + " TOPIC " + m[3];
        target = m[2];
        show = commandStyle;
    } else if (command == "INVITE") {
        CountEvent(slot, sender);
        if (!(ProtectionMode && cfg.DefenceInvite)) {
            InputBoxRequest box;
            box.Caption = "INVITE From " + sender;
            box.Height = 132;
            box.ButtonTop = 72;
            box.ComboVisible = false;
            box.Label1 = texts::ChannelLabel;
            box.Label2 = texts::KeyLabel;
            box.Label2Visible = true;
            box.Edit1Text = JisToSjis(m[3]);
            box.Edit1Enabled = false;
            // The join goes to the channel exactly as the server named it.
            box.AuxText = m[3];
            box.Edit2Visible = true;
            box.EmptyMessage = -1;
            box.Kind = 1;
            box.Slot = slot;
            box.Modal = false;
            frontend_.Beep(BeepKind::Warning);
            if (frontend_.OpenInputBox(box)) return;
            // Too many prompts are waiting: this one is only shown.
        }
        text = sender + " INVITE " + m[3];
        target.clear();  // the server window
        show = commandStyle;
    } else if (command == "PRIVMSG" || command == "NOTICE") {
        const bool privmsg = command == "PRIVMSG";
        const std::string& body = m[3];
        if (body.empty()) return;
        if (body.find('\x01') != std::string::npos) {
            if (privmsg)
                HandleCtcpQuery(slot, m);
            else
                HandleCtcpReply(slot, m);
            return;
        }
        show = privmsg ? Presentation{FontKind::Private, cfg.Private_Check, cfg.KeywordPrivate}
                       : Presentation{FontKind::Notice, cfg.Notice_Check, cfg.KeywordNotice};
        target = m[2];
        if (sender == session.ServerName) {
            // The server talking to us (its notices) gets no window of its own.
            text = "<" + sender + "> " + body;
        } else {
            if (SameName(m[2], session.Nick)) {
                target = sender;
                toMe = privmsg;
                if (OpenChannelTab(slot, sender) >= 0) frontend_.Beep(BeepKind::Warning);
            }
            if (FindChannel(slot, target) < 0)
                text = "<" + target + ":" + sender + ">" + body;
            else
                text = "<" + sender + "> " + body;
        }
    }

    int window = FindChannel(slot, target);
    if (window < 0) window = ServerWindow;
    if (show.markTab) frontend_.MarkTab(slot, window);
    if (toMe) frontend_.AddressedToMe(slot, window);
    // The whole shown line is read one way: UTF-8 when it is that, else ISO-2022-JP.
    frontend_.RenderLine(slot, window, show.font, WireToSjis(text), show.keywords);
}

}  // namespace velmok::session
