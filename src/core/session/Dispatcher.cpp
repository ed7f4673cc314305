// Turns each complete server line of a slot into state changes, answers and
// one shown line: the handler of its command or numeric, found in one table,
// decides what changes and what is shown.
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
    static const std::unordered_map<std::string_view, Entry> table = {
        {"001", {H::Welcome, true}},     {"305", {H::Unaway, true}},       {"306", {H::NowAway, true}},
        {"315", {H::EndOfWho, true}},    {"352", {H::WhoReply, true}},     {"301", {H::Whois, true}},
        {"311", {H::Whois, true}},       {"312", {H::Whois, true}},        {"313", {H::Whois, true}},
        {"317", {H::Whois, true}},       {"319", {H::Whois, true}},        {"318", {H::EndOfWhois, true}},
        {"369", {H::EndOfWhowas, true}}, {"322", {H::ListEntry, true}},    {"323", {H::ListEnd, true}},
        {"353", {H::Names, true}},       {"366", {H::EndOfNames, true}},   {"367", {H::BanEntry, true}},
        {"368", {H::BanEnd, true}},      {"324", {H::ChannelModes, true}}, {"332", {H::Topic, true}},
        {"401", {H::NoSuchNick, true}},  {"433", {H::NickInUse, true}},    {"437", {H::NickInUse, true}},
        {"475", {H::BadKey, true}},      {"PING", {H::Ping, true}},        {"PONG", {H::Pong, true}},
        {"JOIN", {H::Join, false}},      {"PART", {H::Part, false}},       {"KICK", {H::Kick, false}},
        {"MODE", {H::Mode, false}},      {"NICK", {H::Nick, false}},       {"QUIT", {H::Quit, false}},
        {"TOPIC", {H::TopicChange, false}}, {"INVITE", {H::Invite, false}}, {"PRIVMSG", {H::Message, false}},
        {"NOTICE", {H::Message, false}},
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

    Line line{*this, slot, m, command, m[2], {FontKind::Server, cfg.Server_Check, false}};
    if (IsErrorNumeric(command)) {
        frontend_.Beep(BeepKind::Warning);
        line.show = {FontKind::Error, cfg.Error_Check, false};
    }
    const std::string& ownNick = slots_[slot].Session.Nick;
    for (int i = 2; i <= 16; ++i)
        if (!m[i].empty() && m[i] != ownNick) line.text += " " + m[i];

    const LineHandlers::Entry* entry = LineHandlers::Find(command);
    if (entry && entry->beforeTriggers && entry->handler(line) == Outcome::Stop) return;
    RunEventTriggers(slot, m.FullPrefix, m);
    if (entry && !entry->beforeTriggers && entry->handler(line) == Outcome::Stop) return;

    int window = FindChannel(slot, line.target);
    if (window < 0) window = ServerWindow;
    if (line.show.markTab) frontend_.MarkTab(slot, window);
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
        engine.EnqueueLine(Queue::A, line.slot, "JOIN " + SjisToJis(channel) + " " + SjisToJis(key), 2);
    }
    engine.RejoinChannels(line.slot);
    return Outcome::Show;
}

Outcome LineHandlers::Unaway(Line& line) {
    SlotState& s = line.State();
    s.Session.Away = false;
    line.Ui().SetAwayState(false);
    if (s.Session.Nick != s.SavedNick && !s.SavedNick.empty())
        line.engine.EnqueueLine(Queue::A, line.slot, "NICK " + s.SavedNick, 2);
    return Outcome::Show;
}

Outcome LineHandlers::NowAway(Line& line) {
    SlotState& s = line.State();
    ServerSession& session = s.Session;
    session.Away = true;
    line.Ui().SetAwayState(true);
    if (session.AwayNick != session.Nick) {
        s.SavedNick = session.Nick;
        if (!session.AwayNick.empty())
            line.engine.EnqueueLine(Queue::A, line.slot, "NICK " + session.AwayNick, 2);
    }
    return Outcome::Show;
}

Outcome LineHandlers::EndOfWho(Line& line) {
    return line.engine.HandleEndOfWho(line.slot, line.m) ? Outcome::Stop : Outcome::Show;
}

Outcome LineHandlers::WhoReply(Line& line) {
    return line.engine.HandleWhoReply(line.slot, line.m) ? Outcome::Stop : Outcome::Show;
}

Outcome LineHandlers::Whois(Line& line) {
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
        line.engine.SendNow(line.slot,
                            SjisToJis("NICK " + s.Session.Nick + std::to_string(s.NickRetryCounter) + CrLf));
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
