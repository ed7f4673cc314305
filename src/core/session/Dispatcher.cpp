// Turns each complete server line of a slot into state changes, answers and
// one shown line: the handler of its command or numeric, found in one table,
// decides what changes and what is shown.
#include <algorithm>
#include <exception>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/Texts.h"
#include "session/ChannelNames.h"
#include "session/Codec.h"
#include "session/LineHandlers.h"

namespace velmok::session {

using channels::SameName;

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

// Takes the text up to the next blank off the front (all of it when there is
// no blank).
std::string TakeField(std::string& text) {
    std::size_t blank = text.find(' ');
    std::string field = text.substr(0, blank);
    text.erase(0, blank == std::string::npos ? text.size() : blank + 1);
    return field;
}

}  // namespace

const LineHandlers::Entry* LineHandlers::Find(const std::string& command) {
    using H = LineHandlers;
    constexpr Stage F = Stage::First, N = Stage::Numeric, C = Stage::Command;
    static const std::unordered_map<std::string_view, Entry> table = {
        {"CAP", {H::Cap, F}},
        {"AUTHENTICATE", {H::Authenticate, F}},
        {"900", {H::SaslInformation, F}},
        {"901", {H::SaslInformation, F}},
        {"903", {H::SaslSuccess, F}},
        {"907", {H::SaslSuccess, F}},
        {"902", {H::SaslFailure, F}},
        {"904", {H::SaslFailure, F}},
        {"905", {H::SaslFailure, F}},
        {"906", {H::SaslFailure, F}},
        {"908", {H::SaslMechanisms, F}},
        {"421", {H::UnknownCommand, F}},
        {"451", {H::UnknownCommand, F}},
        {"001", {H::Welcome, N}},
        {"005", {H::Isupport, N}},
        {"305", {H::Unaway, N}},
        {"306", {H::NowAway, N}},
        {"315", {H::EndOfWho, N}},
        {"352", {H::WhoReply, N}},
        {"301", {H::Whois, N}},
        {"311", {H::Whois, N}},
        {"312", {H::Whois, N}},
        {"313", {H::Whois, N}},
        {"317", {H::Whois, N}},
        {"319", {H::Whois, N}},
        {"318", {H::EndOfWhois, N}},
        {"369", {H::EndOfWhowas, N}},
        {"322", {H::ListEntry, N}},
        {"323", {H::ListEnd, N}},
        {"353", {H::Names, N}},
        {"366", {H::EndOfNames, N}},
        {"367", {H::BanEntry, N}},
        {"368", {H::BanEnd, N}},
        {"324", {H::ChannelModes, N}},
        {"332", {H::Topic, N}},
        {"401", {H::NoSuchNick, N}},
        {"433", {H::NickInUse, N}},
        {"437", {H::NickInUse, N}},
        {"475", {H::BadKey, N}},
        {"PING", {H::Ping, N}},
        {"PONG", {H::Pong, N}},
        {"JOIN", {H::Join, C}},
        {"PART", {H::Part, C}},
        {"KICK", {H::Kick, C}},
        {"MODE", {H::Mode, C}},
        {"NICK", {H::Nick, C}},
        {"QUIT", {H::Quit, C}},
        {"TOPIC", {H::TopicChange, C}},
        {"INVITE", {H::Invite, C}},
        {"PRIVMSG", {H::Message, C}},
        {"NOTICE", {H::Message, C}},
        {"AWAY", {H::Away, C}},
    };
    const auto it = table.find(command);
    return it == table.end() ? nullptr : &it->second;
}

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
    const config::Settings& cfg = settings_;
    const std::string& command = m[1];
    // Everything shown while this line is handled carries the server's time
    // (a bouncer's replay keeps its own); a nested dispatch gets its own.
    struct TimeGuard {
        std::optional<std::time_t>& time;
        std::optional<std::time_t> saved;
        ~TimeGuard() { time = saved; }
    } timeGuard{lineTime_, lineTime_};
    const std::string* stamp = m.Tag("time");
    lineTime_ = stamp ? ParseServerTime(*stamp) : std::nullopt;

    Line line{*this, slot, m, command, m[2], {FontKind::Server, cfg.Server_Check, false}, false};
    const std::string& ownNick = slots_[slot].Session.Nick;
    for (int i = 2; i <= 16; ++i)
        if (!m[i].empty() && m[i] != ownNick) line.text += " " + m[i];

    const LineHandlers::Entry* entry = LineHandlers::Find(command);
    const Outcome first = entry && entry->stage == Stage::First ? entry->handler(line) : Outcome::Show;
    if (first == Outcome::Stop) return;
    if (first == Outcome::Show) {
        if (IsErrorNumeric(command)) {
            frontend_.Beep(BeepKind::Warning);
            line.show = {FontKind::Error, cfg.Error_Check, false};
        }
        if (entry && entry->stage == Stage::Numeric && entry->handler(line) == Outcome::Stop) return;
    }
    RunEventTriggers(slot, m.FullPrefix, m);
    if (entry && entry->stage == Stage::Command && entry->handler(line) == Outcome::Stop) return;

    int window = FindChannel(slot, line.target);
    if (window < 0) window = ServerWindow;
    if (line.show.markTab) frontend_.MarkTab(slot, window);
    if (line.toMe) frontend_.AddressedToMe(slot, window);
    // The whole shown line is read one way: UTF-8 when it is that, else ISO-2022-JP.
    frontend_.RenderLine(slot, window, line.show.font, WireToSjis(line.text), line.show.keywords);
}

// ---- numeric replies ----------------------------------------------------------

Outcome LineHandlers::Welcome(Line& line) {
    Engine& engine = line.engine;
    SlotState& s = line.State();
    ServerSession& session = s.Session;
    const IrcMessage& m = line.m;
    Frontend& ui = line.Ui();
    // The welcome names the nick the server registered; whatever we asked
    // for (a retry, a nick the server shortened), that is the one it knows.
    if (!m[2].empty() && m[2].find(' ') == std::string::npos && m[2] != "*")
        session.Nick = m[2];
    else if (s.NickRetryCounter != 0)
        session.Nick += std::to_string(s.NickRetryCounter);
    s.NickRetryCounter = 0;
    // A server that welcomes us without finishing (or starting) the
    // negotiation knows no login either.
    if (s.Caps.Step != CapabilityState::Phase::Off) {
        if (s.Caps.Sasl != SaslMechanism::None) engine.SaslFailed(line.slot, texts::SaslNotOffered);
        s.Caps.Step = CapabilityState::Phase::Off;
    }
    s.Registered = true;
    ui.EnableAction(Action::FileDisConnect, true);
    ui.EnableAction(Action::CommandAway, true);
    ui.SetSendTimer(true);
    session.ServerName = m[0];
    ui.ServerRenamed(line.slot, session.ServerName);
    ui.UpdateTitle(line.slot);
    bool someFree = false;
    for (int i = 0; i < SlotCount; ++i) someFree = someFree || !engine.Slot(i).Registered;
    ui.EnableAction(Action::FileConnect, someFree);

    std::string rest = session.AutoJoin;
    while (rest.find(' ') != std::string::npos) {
        std::string flag = TakeField(rest);
        std::string channel = TakeField(rest);
        std::string key = TakeField(rest);
        // An entry without a channel would only earn an error reply. A
        // name goes as the user wrote it: on servers with "!" channels,
        // "!name" joins the existing one and "!!name" creates a new one.
        if (flag == "0" || channel.empty()) continue;
        engine.EnqueueLine(Queue::A, line.slot,
                           "JOIN " + engine.ToWire(line.slot, channel) + " " + engine.ToWire(line.slot, key),
                           2);
    }
    engine.RejoinChannels(line.slot);
    return Outcome::Show;
}

Outcome LineHandlers::Unaway(Line& line) {
    SlotState& s = line.State();
    s.Session.Away = false;
    line.Ui().SetAwayState(false);
    line.engine.SetAway(line.slot, s.Session.Nick, false);
    if (s.Session.Nick != s.SavedNick && !s.SavedNick.empty())
        line.engine.EnqueueLine(Queue::A, line.slot, "NICK " + s.SavedNick, 2);
    return Outcome::Show;
}

Outcome LineHandlers::NowAway(Line& line) {
    SlotState& s = line.State();
    ServerSession& session = s.Session;
    session.Away = true;
    line.Ui().SetAwayState(true);
    line.engine.SetAway(line.slot, session.Nick, true);
    if (session.AwayNick != session.Nick) {
        s.SavedNick = session.Nick;
        if (!session.AwayNick.empty())
            line.engine.EnqueueLine(Queue::A, line.slot, "NICK " + session.AwayNick, 2);
    }
    return Outcome::Show;
}

// The WHO we sent for a channel's away states, whose replies are read only.
static bool TakeWhoAsked(std::vector<std::string>& asked, const std::string& channel, bool done) {
    const auto it =
        std::find_if(asked.begin(), asked.end(), [&](const std::string& a) { return SameName(a, channel); });
    if (it == asked.end()) return false;
    if (done) asked.erase(it);
    return true;
}

Outcome LineHandlers::EndOfWho(Line& line) {
    if (line.engine.HandleEndOfWho(line.slot, line.m)) return Outcome::Stop;
    return TakeWhoAsked(line.State().WhoAsked, line.m[3], true) ? Outcome::Stop : Outcome::Show;
}

// Field 7 the nick, field 8 its flags: "H" here, "G" gone (away).
Outcome LineHandlers::WhoReply(Line& line) {
    const IrcMessage& m = line.m;
    if (!m[8].empty() && (m[8][0] == 'G' || m[8][0] == 'H'))
        line.engine.SetAway(line.slot, m[7], m[8][0] == 'G');
    if (line.engine.HandleWhoReply(line.slot, m)) return Outcome::Stop;
    return TakeWhoAsked(line.State().WhoAsked, m[3], false) ? Outcome::Stop : Outcome::Show;
}

Outcome LineHandlers::Whois(Line& line) {
    if (line.m[1] == "301") line.engine.SetAway(line.slot, line.m[3], true);
    line.engine.HandleWhoisReply(line.slot, line.m);
    return Outcome::Show;
}

Outcome LineHandlers::EndOfWhois(Line& line) {
    line.engine.HandleEndOfWhois(line.slot, line.m);
    return Outcome::Show;
}

Outcome LineHandlers::EndOfWhowas(Line& line) {
    line.engine.HandleEndOfWhowas(line.slot, line.m);
    return Outcome::Show;
}

Outcome LineHandlers::ListEntry(Line& line) {
    line.engine.HandleListEntry(line.slot, line.m);
    return Outcome::Stop;
}

Outcome LineHandlers::ListEnd(Line& line) {
    return line.engine.HandleListEnd(line.slot, line.m) ? Outcome::Stop : Outcome::Show;
}

Outcome LineHandlers::Names(Line& line) {
    const IrcMessage& m = line.m;
    for (ChannelRecord& record : line.State().Channels) {
        if (record.IsFree() || !SameName(record.Name, m[4])) continue;
        line.engine.AddNames(line.slot, m[5], m[4]);
        record.NamesPending = true;
    }
    return Outcome::Show;
}

Outcome LineHandlers::EndOfNames(Line& line) {
    line.engine.EndOfNames(line.slot, line.m[3]);
    return Outcome::Show;
}

Outcome LineHandlers::BanEntry(Line& line) {
    return line.engine.HandleBanEntry(line.slot, line.m) ? Outcome::Stop : Outcome::Show;
}

Outcome LineHandlers::BanEnd(Line& line) {
    return line.engine.HandleBanEnd(line.slot, line.m) ? Outcome::Stop : Outcome::Show;
}

Outcome LineHandlers::ChannelModes(Line& line) {
    line.engine.ApplyChannelModes(line.slot, line.m);
    return Outcome::Show;
}

Outcome LineHandlers::Topic(Line& line) {
    line.engine.SetTopic(line.slot, line.m[3], line.m[4]);
    return Outcome::Show;
}

Outcome LineHandlers::NoSuchNick(Line& line) {
    line.text = line.m[3] + " :" + line.m[4];
    line.target = line.m[3];
    line.show = {FontKind::Error, line.Config().Error_Check, false};
    return Outcome::Show;
}

Outcome LineHandlers::NickInUse(Line& line) {
    SlotState& s = line.State();
    if (!s.Registered) {
        ++s.NickRetryCounter;
        line.engine.SendNow(
            line.slot, line.engine.ToWire(
                           line.slot, "NICK " + s.Session.Nick + std::to_string(s.NickRetryCounter) + CrLf));
    }
    return Outcome::Show;
}

Outcome LineHandlers::BadKey(Line& line) {
    InputBoxRequest box;
    box.Caption = "JOIN " + WireToSjis(line.m[3]);
    box.ComboVisible = false;
    box.Label2Visible = false;
    box.Edit2Visible = false;
    box.Label1 = texts::KeyLabel;
    box.EmptyMessage = 12;
    box.AuxText = line.m[3];
    box.Slot = line.slot;
    box.Kind = 5;
    box.Modal = false;
    line.Ui().OpenInputBox(box);
    return Outcome::Show;
}

}  // namespace velmok::session
