// Conversation records of a slot and the member lists of its channels.
#include <algorithm>

#include "config/Error.h"
#include "session/ChannelNames.h"
#include "session/Codec.h"
#include "session/Engine.h"

namespace velmok::session {

using channels::CaptionMatches;
using channels::CaptionNick;
using channels::CaptionPrefix;
using channels::FoldAscii;
using channels::MemberOrder;
using channels::SameName;

namespace {

// The member list view shows the record in its own order; every search and
// insertion below goes by the slot's one order.
void InsertSorted(std::vector<std::string>& members, const std::string& caption, const MemberOrder& order) {
    members.insert(std::upper_bound(members.begin(), members.end(), caption, order), caption);
}

// Whether the caption is listed exactly (the order never ranks two different
// captions as equal).
bool HasMember(const std::vector<std::string>& members, const std::string& caption,
               const MemberOrder& order) {
    const auto it = std::lower_bound(members.begin(), members.end(), caption, order);
    return it != members.end() && *it == caption;
}

// Adds captions not listed yet in one merge: a large channel's NAMES comes in
// hundreds of lines, and inserting one by one would move the whole list for
// every name.
void MergeMembers(std::vector<std::string>& members, std::vector<std::string>& added,
                  const MemberOrder& order) {
    std::sort(added.begin(), added.end(), order);
    added.erase(std::unique(added.begin(), added.end()), added.end());
    std::erase_if(added, [&](const std::string& caption) { return HasMember(members, caption, order); });
    if (added.empty()) return;
    std::vector<std::string> merged;
    merged.reserve(members.size() + added.size());
    std::merge(std::make_move_iterator(members.begin()), std::make_move_iterator(members.end()),
               std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()),
               std::back_inserter(merged), order);
    members = std::move(merged);
}

// The marks in the server's order, each once; marks it does not know keep
// their place after those it does.
std::string OrderedMarks(const std::string& marks, const ServerSupport& support) {
    std::string out;
    for (char mark : support.PrefixMarks)
        if (marks.find(mark) != std::string::npos) out += mark;
    for (char mark : marks)
        if (out.find(mark) == std::string::npos) out += mark;
    return out;
}

// A NAMES entry as a caption. With a PREFIX announced, its marks (several
// with multi-prefix) are put in the announced order; before that, the entry
// is kept as the server gave it.
std::string CaptionOf(const std::string& entry, const ServerSupport& support) {
    if (!support.PrefixAnnounced) return entry;
    std::size_t n = 0;
    while (n < entry.size() && support.PrefixMarks.find(entry[n]) != std::string::npos) ++n;
    return OrderedMarks(entry.substr(0, n), support) + entry.substr(n);
}

void ResetRecord(ChannelRecord& record) { record = ChannelRecord{}; }

}  // namespace

int Engine::FindChannel(int slot, const std::string& name) const {
    if (name.empty()) return -1;
    const auto& channels = slots_[slot].Channels;
    for (int i = WindowCount - 1; i >= 0; --i)
        if (!channels[i].IsFree() && SameName(channels[i].Name, name)) return i;
    return -1;
}

int Engine::OpenChannelTab(int slot, const std::string& name, bool byUser) {
    // A record with an empty name would count as free and the window would
    // be lost; nothing sensible can be opened for it.
    if (name.empty()) return -1;
    auto& channels = slots_[slot].Channels;
    int free = -1;
    for (int i = 0; i < WindowCount; ++i) {
        if (channels[i].IsFree()) {
            if (free < 0) free = i;
        } else if (SameName(channels[i].Name, name)) {
            return -1;
        }
    }
    if (free < 0) {
        // A message from a stranger must not raise a modal box, one for each
        // further sender, while the server waits for its PONG: beyond the
        // limit it is said in the server window.
        if (!IsChannel(slot, name) && !UserOpening)
            frontend_.RenderLine(slot, ServerWindow, FontKind::Error, config::ErrorText(31), false);
        else
            frontend_.ShowError(31);
        return -1;
    }
    const bool isChannel = IsChannel(slot, name);
    const bool activate = byUser || (!isChannel && UserOpening);
    if (!isChannel) {
        CountEvent(slot, name);
        if (ProtectionMode && settings_.DefencePriv && !UserOpening) return -1;
        UserOpening = false;
    }
    // The record is filled before the window is built so that a title shown
    // while building already reads the new name.
    ChannelRecord& record = channels[free];
    ResetRecord(record);
    record.IsChannel = isChannel;
    record.Name = name;
    frontend_.BuildWindow(slot, free, name, activate);
    return free;
}

namespace {

// At most this many JOINs wait for their answer; a server that never answers
// must not make the list grow.
constexpr std::size_t kJoinsAskedLimit = 64;

bool StartsWithJoin(const std::string& line) {
    if (line.size() < 5 || line[4] != ' ') return false;
    for (int i = 0; i < 4; ++i)
        if ((line[i] & ~0x20) != "JOIN"[i]) return false;
    return true;
}

}  // namespace

void Engine::NoteJoinSent(int slot, const std::string& line) {
    if (!StartsWithJoin(line)) return;
    std::size_t at = line.find_first_not_of(' ', 5);
    if (at == std::string::npos) return;
    if (line[at] == ':') ++at;
    const std::size_t end = std::min(line.find_first_of(" \r\n", at), line.size());
    auto& asked = slots_[slot].JoinsAsked;
    for (std::size_t from = at; from < end;) {
        const std::size_t comma = std::min(line.find(',', from), end);
        std::string channel = line.substr(from, comma - from);
        from = comma + 1;
        // "JOIN 0" leaves every channel; it opens nothing.
        if (channel.empty() || channel == "0") continue;
        if (asked.size() >= kJoinsAskedLimit) asked.erase(asked.begin());
        asked.push_back(std::move(channel));
    }
}

bool Engine::TakeJoinAsked(int slot, const std::string& channel) {
    auto& asked = slots_[slot].JoinsAsked;
    const auto it =
        std::find_if(asked.begin(), asked.end(), [&](const std::string& a) { return SameName(a, channel); });
    if (it == asked.end()) return false;
    asked.erase(it);
    return true;
}

void Engine::CloseChannelTab(int slot, const std::string& name) {
    const int index = FindChannel(slot, name);
    if (index < 0) return;
    // A window closed while the connection is down is not joined again.
    auto& rejoin = slots_[slot].Reconnect.Channels;
    std::erase_if(rejoin, [&](const auto& channel) { return SameName(channel.first, name); });
    frontend_.RemoveWindow(slot, index);
    ResetRecord(slots_[slot].Channels[index]);
}

void Engine::AddNames(int slot, const std::string& names, const std::string& channel) {
    const int index = FindChannel(slot, channel);
    if (index < 0) return;
    ChannelRecord& record = slots_[slot].Channels[index];
    if (!record.NamesPending) record.Members.clear();
    // Further 353s of the same listing add to it until 366 arrives.
    record.NamesPending = true;

    const ServerSupport& support = slots_[slot].Support;
    const std::string& ownNick = slots_[slot].Session.Nick;
    std::vector<std::string> added;
    std::size_t pos = !names.empty() && names[0] == ' ' ? 1 : 0;
    while (pos < names.size()) {
        const std::size_t blank = names.find(' ', pos);
        // Two blanks in a row end the listing; a caption without a nick is never added.
        if (blank == pos) break;
        std::string caption = CaptionOf(
            names.substr(pos, blank == std::string::npos ? std::string::npos : blank - pos), support);
        if (CaptionNick(caption) == ownNick && support.IsOperator(CaptionPrefix(caption)))
            record.OwnOp = true;
        if (!CaptionNick(caption).empty()) added.push_back(std::move(caption));
        if (blank == std::string::npos) break;
        pos = blank + 1;
    }
    MergeMembers(record.Members, added, MemberOrderOf(slot));
    frontend_.MembersChanged(slot, index);
}

void Engine::EndOfNames(int slot, const std::string& channel) {
    auto& records = slots_[slot].Channels;
    for (int i = 0; i < WindowCount; ++i) {
        ChannelRecord& record = records[i];
        if (record.IsFree() || !SameName(record.Name, channel)) continue;
        const bool wasListing = record.NamesPending;
        record.NamesPending = false;
        // The view may have waited for the whole listing.
        if (wasListing) frontend_.MembersChanged(slot, i);
    }
}

void Engine::AddMember(int slot, const std::string& channel, const std::string& nick) {
    const int index = FindChannel(slot, channel);
    if (index < 0 || nick.empty()) return;
    auto& members = slots_[slot].Channels[index].Members;
    const MemberOrder order = MemberOrderOf(slot);
    if (HasMember(members, nick, order)) return;
    InsertSorted(members, nick, order);
    frontend_.MembersChanged(slot, index);
}

void Engine::RemoveMember(int slot, const std::string& channel, const std::string& nick) {
    const int index = FindChannel(slot, channel);
    if (index < 0) return;
    ChannelRecord& record = slots_[slot].Channels[index];
    if (nick == slots_[slot].Session.Nick) record.OwnOp = false;
    auto it = std::find_if(record.Members.begin(), record.Members.end(),
                           [&](const std::string& caption) { return CaptionMatches(caption, nick); });
    if (it == record.Members.end()) return;
    record.Members.erase(it);
    frontend_.MembersChanged(slot, index);
}

void Engine::GiveOp(int slot, const std::string& channel, const std::string& nick) {
    SetMemberMark(slot, channel, nick, '@', true);
}

void Engine::TakeOp(int slot, const std::string& channel, const std::string& nick) {
    SetMemberMark(slot, channel, nick, '@', false);
}

void Engine::SetMemberMark(int slot, const std::string& channel, const std::string& nick, char mark,
                           bool on) {
    const int index = FindChannel(slot, channel);
    if (index < 0 || nick.empty()) return;
    ChannelRecord& record = slots_[slot].Channels[index];
    const ServerSupport& support = slots_[slot].Support;
    auto it = std::find_if(record.Members.begin(), record.Members.end(),
                           [&](const std::string& caption) { return CaptionMatches(caption, nick); });
    const bool listed = it != record.Members.end();
    std::string marks = listed ? CaptionPrefix(*it) : std::string();
    if (listed) {
        const std::size_t at = marks.find(mark);
        if (on && at == std::string::npos) marks = OrderedMarks(marks + mark, support);
        if (!on && at != std::string::npos) marks.erase(at, 1);
        if (marks.size() != it->size() - nick.size()) {
            record.Members.erase(it);
            InsertSorted(record.Members, marks + nick, MemberOrderOf(slot));
            frontend_.MembersChanged(slot, index);
        }
    }
    if (nick != slots_[slot].Session.Nick) return;
    if (listed)
        record.OwnOp = support.IsOperator(marks);
    else if (support.IsOperator(std::string(1, mark)))
        record.OwnOp = on;
}

void Engine::MemberQuit(int slot, const std::string& nick, const std::string& message) {
    if (nick.empty()) return;
    std::string text = nick + " QUIT";
    if (!message.empty()) text += " (" + message + ")";
    text = WireToSjis(text);
    slots_[slot].AwayNicks.erase(FoldAscii(nick));
    auto& channels = slots_[slot].Channels;
    for (int i = 0; i < WindowCount; ++i) {
        ChannelRecord& record = channels[i];
        if (record.IsFree()) continue;
        if (!SameName(record.Name, nick)) {
            auto it = std::find_if(record.Members.begin(), record.Members.end(),
                                   [&](const std::string& caption) { return CaptionMatches(caption, nick); });
            if (it == record.Members.end()) continue;
            record.Members.erase(it);
            frontend_.MembersChanged(slot, i);
        }
        if (settings_.Command_Check) frontend_.MarkTab(slot, i);
        frontend_.RenderLine(slot, i, FontKind::Command, text, false);
    }
}

void Engine::MemberNick(int slot, const std::string& oldNick, const std::string& newNick) {
    if (oldNick.empty() || newNick.empty()) return;
    std::string& ownNick = slots_[slot].Session.Nick;
    if (oldNick == ownNick) ownNick = newNick;
    if (slots_[slot].AwayNicks.erase(FoldAscii(oldNick)) != 0)
        slots_[slot].AwayNicks.insert(FoldAscii(newNick));
    const MemberOrder order = MemberOrderOf(slot);
    const std::string text = WireToSjis(oldNick + " NICK " + newNick);
    auto& channels = slots_[slot].Channels;
    for (int i = 0; i < WindowCount; ++i) {
        ChannelRecord& record = channels[i];
        if (record.IsFree()) continue;
        if (SameName(record.Name, oldNick)) {
            frontend_.RenameWindow(slot, i, newNick);
            record.Name = newNick;
            if (settings_.Command_Check) frontend_.MarkTab(slot, i);
        } else {
            auto it =
                std::find_if(record.Members.begin(), record.Members.end(),
                             [&](const std::string& caption) { return CaptionMatches(caption, oldNick); });
            if (it == record.Members.end()) continue;
            const std::string caption = CaptionPrefix(*it) + newNick;
            record.Members.erase(it);
            InsertSorted(record.Members, caption, order);
            frontend_.MembersChanged(slot, i);
            if (settings_.Command_Check && newNick != ownNick) frontend_.MarkTab(slot, i);
        }
        frontend_.RenderLine(slot, i, FontKind::Command, text, false);
    }
}

void Engine::SetTopic(int slot, const std::string& channel, const std::string& topic) {
    const int index = FindChannel(slot, channel);
    if (index < 0) return;
    slots_[slot].Channels[index].Topic = topic;
    if (frontend_.ActiveWindow(slot) == index) frontend_.UpdateTitle(slot);
}

}  // namespace velmok::session
