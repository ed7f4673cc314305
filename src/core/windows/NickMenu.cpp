#include "windows/NickMenu.h"

#include "base/Texts.h"
#include "session/ChannelNames.h"
#include "session/Codec.h"
#include "session/Engine.h"

namespace velmok::windows {

using session::InputBoxRequest;
using session::Queue;

namespace {

constexpr int kTop = -1;
constexpr int kMode = 2;   // index of "MODE" below
constexpr int kCtcp = 19;  // index of "CTCP"
constexpr int kDcc = 26;   // index of "DCC"

// The six simple channel modes, in menu order, with their ModeFlags index.
struct ChannelModeEntry {
    NickEntry entry;
    char letter;
    int flag;
};
constexpr ChannelModeEntry kChannelModes[] = {
    {NickEntry::mode_p, 'p', 0}, {NickEntry::mode_s, 's', 1}, {NickEntry::mode_m, 'm', 2},
    {NickEntry::mode_t, 't', 3}, {NickEntry::mode_i, 'i', 4}, {NickEntry::mode_n, 'n', 5},
};

// Entries that name what they send.
struct EntryWord {
    NickEntry entry;
    const char* word;
};
// CTCP queries, per selected nick or to the channel.
constexpr EntryWord kCtcpWords[] = {
    {NickEntry::CTCP_CLIENTINFO, "CLIENTINFO"},
    {NickEntry::CTCP_FINGER, "FINGER"},
    {NickEntry::CTCP_PING, "PING"},
    {NickEntry::CTCP_TIME, "TIME"},
    {NickEntry::CTCP_USERINFO, "USERINFO"},
    {NickEntry::CTCP_VERSION, "VERSION"},
};
// Member modes, batched by the engine.
constexpr EntryWord kMemberModes[] = {
    {NickEntry::mode_Add_o, "+o"},    {NickEntry::mode_Remove_o, "-o"}, {NickEntry::mode_Add_b, "+b"},
    {NickEntry::mode_Remove_b, "-b"}, {NickEntry::mode_Add_v, "+v"},    {NickEntry::mode_Remove_v, "-v"},
};

template <std::size_t N>
const char* WordOf(const EntryWord (&table)[N], NickEntry entry) {
    for (const EntryWord& e : table)
        if (e.entry == entry) return e.word;
    return nullptr;
}

std::size_t Index(NickEntry entry) { return static_cast<std::size_t>(entry); }

}  // namespace

const std::array<NickMenuItem, NickEntryCount> NickMenuItems = {{
    {NickEntry::whois, "whois", "WHOIS", kTop, false},
    {NickEntry::priv, "priv", "PRIV", kTop, true},
    {NickEntry::mode, "mode", "MODE", kTop, false},
    {NickEntry::mode_Add_o, "mode_Add_o", "+o", kMode, false},
    {NickEntry::mode_Remove_o, "mode_Remove_o", "-o", kMode, false},
    {NickEntry::mode_Add_b, "mode_Add_b", "+b", kMode, false},
    {NickEntry::mode_Remove_b, "mode_Remove_b", "-b", kMode, false},
    {NickEntry::mode_Add_v, "mode_Add_v", "+v", kMode, false},
    {NickEntry::mode_Remove_v, "mode_Remove_v", "-v", kMode, false},
    {NickEntry::mode_p, "mode_p", "+p", kMode, false},
    {NickEntry::mode_s, "mode_s", "+s", kMode, false},
    {NickEntry::mode_m, "mode_m", "+m", kMode, false},
    {NickEntry::mode_t, "mode_t", "+t", kMode, false},
    {NickEntry::mode_i, "mode_i", "+i", kMode, false},
    {NickEntry::mode_n, "mode_n", "+n", kMode, false},
    {NickEntry::mode_l, "mode_l", "+l", kMode, false},
    {NickEntry::mode_k, "mode_k", "+k", kMode, false},
    {NickEntry::invite, "invite", "INVITE...", kTop, false},
    {NickEntry::kick, "kick", "KICK...", kTop, true},
    {NickEntry::CTCP, "CTCP", "CTCP", kTop, false},
    {NickEntry::CTCP_CLIENTINFO, "CTCP_CLIENTINFO", "CLIENTINFO", kCtcp, false},
    {NickEntry::CTCP_FINGER, "CTCP_FINGER", "FINGER", kCtcp, false},
    {NickEntry::CTCP_PING, "CTCP_PING", "PING", kCtcp, false},
    {NickEntry::CTCP_TIME, "CTCP_TIME", "TIME", kCtcp, false},
    {NickEntry::CTCP_USERINFO, "CTCP_USERINFO", "USERINFO", kCtcp, false},
    {NickEntry::CTCP_VERSION, "CTCP_VERSION", "VERSION", kCtcp, false},
    {NickEntry::DCC, "DCC", "DCC", kTop, false},
    {NickEntry::DCC_CHAT, "DCC_CHAT", "CHAT", kDcc, false},
    {NickEntry::DCC_SEND, "DCC_SEND", "SEND", kDcc, false},
}};

const NickMenuState& NickMenu::Popup(const NickMenuContext& context) {
    context_ = context;
    const int slot = context.slot;
    const int window = context.window;
    const bool known = slot >= 0 && slot < session::SlotCount && window >= 0 && window < session::WindowCount;
    static const session::ChannelRecord kNone;
    const session::ChannelRecord& record = known ? engine_.Channel(slot, window) : kNone;
    const bool isChannel = known && !record.IsFree() && record.IsChannel;
    const bool op = isChannel && record.OwnOp;
    const std::size_t n = context.selected.size();
    // Kept from the opening: an input box may be open while the window goes.
    channel_ = isChannel ? record.Name : std::string();
    key_ = isChannel ? record.Key : std::string();

    for (int i = 0; i < NickEntryCount; ++i) state_[i] = {true, true, NickMenuItems[i].caption};

    // Every entry is decided on every opening, so nothing carries over from
    // the last one.
    state_[Index(NickEntry::whois)].enabled = isChannel && n >= 1;
    state_[Index(NickEntry::priv)].enabled = isChannel;
    state_[Index(NickEntry::mode)].enabled = isChannel && op;
    for (const EntryWord& m : kMemberModes) state_[Index(m.entry)].visible = n >= 1;
    for (const ChannelModeEntry& m : kChannelModes) {
        NickEntryState& s = state_[Index(m.entry)];
        s.visible = n == 0;
        s.caption = std::string(record.ModeFlags[m.flag] ? "-" : "+") + m.letter;
    }
    state_[Index(NickEntry::mode_l)].visible = n == 0;
    state_[Index(NickEntry::mode_l)].caption = record.Limit.empty() ? "+l..." : "-l";
    state_[Index(NickEntry::mode_k)].visible = n == 0;
    state_[Index(NickEntry::mode_k)].caption = record.Key.empty() ? "+k..." : "-k";
    const bool inviteOnly = record.ModeFlags[4];
    state_[Index(NickEntry::invite)].enabled = isChannel && !(n == 0 && !op && inviteOnly);
    state_[Index(NickEntry::kick)].enabled = isChannel && n >= 1 && op;
    state_[Index(NickEntry::CTCP)].enabled = isChannel;
    state_[Index(NickEntry::DCC)].enabled = isChannel && n == 1;
    return state_;
}

std::string NickMenu::ChannelName() const { return channel_; }

// The key the channel has now; its window may have gone (or another channel
// taken its place) since the menu opened.
std::string NickMenu::ChannelKey() const {
    const int window = engine_.FindChannel(context_.slot, channel_);
    return window >= 0 ? engine_.Channel(context_.slot, window).Key : key_;
}

bool NickMenu::Ask(const InputBoxRequest& request, std::string& text) const {
    return AskInput && AskInput(request, text);
}

void NickMenu::Click(NickEntry entry) {
    const NickMenuItem& item = NickMenuItems[Index(entry)];
    // Entries the last opening disabled or hid cannot be chosen.
    if (!state_[Index(entry)].enabled || !state_[Index(entry)].visible) return;
    if (item.parent != kTop && !state_[item.parent].enabled) return;

    const int slot = context_.slot;
    const std::vector<std::string>& selected = context_.selected;
    if (const char* mode = WordOf(kMemberModes, entry)) {
        engine_.QueueModeBatch(slot, channel_, selected, mode);
    } else if (const char* word = WordOf(kCtcpWords, entry)) {
        engine_.QueueCtcpRequest(slot, channel_, selected, word);
    } else {
        switch (entry) {
            case NickEntry::whois:
                engine_.QueueMemberCommand(slot, selected, "WHOIS", "", 2);
                break;
            case NickEntry::priv:
                PrivClick();
                break;
            case NickEntry::invite:
                InviteClick();
                break;
            case NickEntry::kick:
                KickClick();
                break;
            case NickEntry::DCC_CHAT:
            case NickEntry::DCC_SEND: {
                if (selected.size() != 1) break;
                const std::string nick = session::channels::CaptionNick(selected.front());
                auto& offer = entry == NickEntry::DCC_CHAT ? OfferChat : OfferFile;
                if (!nick.empty() && offer) offer(slot, nick);
                break;
            }
            default:
                ChannelModeClick(entry);
                break;
        }
    }
}

bool NickMenu::AcceptsDrop(int slot, int window, const std::string& caption) const {
    if (slot < 0 || slot >= session::SlotCount || window < 0 || window >= session::WindowCount) return false;
    const session::ChannelRecord& record = engine_.Channel(slot, window);
    const std::string nick = session::channels::CaptionNick(caption);
    // The connection must be there to make the offer, and nobody sends to himself.
    return engine_.Slot(slot).Registered && !record.IsFree() && record.IsChannel && !record.Disconnected &&
           !nick.empty() && !session::channels::SameName(nick, engine_.Slot(slot).Session.Nick);
}

void NickMenu::DropFiles(int slot, int window, const std::string& caption,
                         const std::vector<std::string>& paths) {
    if (!AcceptsDrop(slot, window, caption) || !OfferDroppedFile) return;
    const std::string nick = session::channels::CaptionNick(caption);
    for (const std::string& path : paths)
        if (!path.empty()) OfferDroppedFile(slot, nick, path);
}

void NickMenu::ChannelModeClick(NickEntry entry) {
    const int slot = context_.slot;
    const std::string head = "MODE " + ChannelName();
    const std::string& caption = state_[Index(entry)].caption;
    // "+l..." and "+k..." ask for the value; it goes as the last parameter.
    auto ask = [&](const char* boxCaption, const char* label, int emptyMessage, std::string& value) {
        InputBoxRequest r;
        r.Caption = boxCaption;
        r.Slot = slot;
        r.EmptyMessage = emptyMessage;
        r.CallerOwned = true;
        r.Label1 = label;
        return Ask(r, value);
    };
    std::string value;
    if (entry == NickEntry::mode_l) {
        if (caption == "-l")
            engine_.EnqueueLine(Queue::B, slot, head + " -l :", 4);
        else if (ask("MODE +l", texts::LimitLabel, 11, value))
            engine_.EnqueueLine(Queue::B, slot, head + " +l :" + value + " ", 4);
    } else if (entry == NickEntry::mode_k) {
        if (caption == "-k")
            engine_.EnqueueLine(Queue::B, slot, head + " -k :" + ChannelKey(), 4);
        else if (ask("MODE +k", texts::KeyLabel, 12, value))
            engine_.EnqueueLine(Queue::B, slot, head + " +k :" + engine_.ToWire(slot, value) + " ", 4);
    } else {
        // p, s, m, t, i and n send the change their caption names; the
        // sub-menu owners themselves send nothing.
        for (const ChannelModeEntry& m : kChannelModes) {
            if (m.entry != entry) continue;
            engine_.EnqueueLine(Queue::B, slot, head + " " + caption, 4);
            break;
        }
    }
}

void NickMenu::PrivClick() {
    const int slot = context_.slot;
    // The user asked for these windows, so protection mode must not refuse
    // them; the permission is for this one opening only, whether or not a
    // window was opened.
    auto open = [&](const std::string& nick) {
        engine_.UserOpening = true;
        engine_.OpenChannelTab(slot, nick);
        engine_.UserOpening = false;
    };
    if (!context_.selected.empty()) {
        for (const std::string& caption : context_.selected) {
            const std::string nick = session::channels::CaptionNick(caption);
            if (!nick.empty()) open(nick);
        }
        return;
    }
    InputBoxRequest r;
    r.Caption = "PRIV";
    r.Kind = 7;
    r.Slot = slot;
    r.EmptyMessage = 13;
    r.CallerOwned = true;
    r.Label1 = texts::NickLabel;
    r.Edit1ImeOff = true;
    std::string nick;
    if (Ask(r, nick)) open(nick);
}

void NickMenu::InviteClick() {
    const int slot = context_.slot;
    InputBoxRequest r;
    r.Caption = "INVITE";
    r.Slot = slot;
    r.CallerOwned = true;
    if (context_.selected.empty()) {
        r.Kind = 7;
        r.EmptyMessage = 13;
        r.Label1 = texts::NickLabel;
        r.Edit1ImeOff = true;
        std::string nick;
        if (Ask(r, nick)) engine_.EnqueueLine(Queue::B, slot, "INVITE " + nick + " " + ChannelName(), 2);
        return;
    }
    r.Kind = 8;
    r.EmptyMessage = 10;
    r.Label1 = texts::ChannelLabel;
    r.ComboVisible = true;
    r.Edit1Visible = false;
    for (const session::ChannelRecord& record : engine_.Slot(slot).Channels)
        if (!record.IsFree() && record.IsChannel) r.ComboItems.push_back(session::WireToSjis(record.Name));
    std::string channel;
    if (!Ask(r, channel)) return;
    // A channel picked from the list goes by its name as received, which a
    // round trip through Shift-JIS may not give back.
    std::string wire = engine_.ToWire(slot, channel);
    for (const session::ChannelRecord& record : engine_.Slot(slot).Channels)
        if (!record.IsFree() && record.IsChannel && session::WireToSjis(record.Name) == channel)
            wire = record.Name;
    for (const std::string& caption : context_.selected) {
        const std::string nick = session::channels::CaptionNick(caption);
        // Two blanks after the command, as this client has always sent it.
        if (!nick.empty()) engine_.EnqueueLine(Queue::B, slot, "INVITE  " + nick + " " + wire, 2);
    }
}

void NickMenu::KickClick() {
    const int slot = context_.slot;
    InputBoxRequest r;
    r.Caption = "KICK";
    r.Kind = 6;
    r.Slot = slot;
    r.EmptyMessage = -1;
    r.CallerOwned = true;
    r.Label1 = texts::MessageLabel;
    r.Edit1Text = engine_.Config().KickMessage;
    std::string message;
    if (!Ask(r, message)) return;
    const std::string channel = ChannelName();
    for (const std::string& caption : context_.selected) {
        const std::string nick = session::channels::CaptionNick(caption);
        if (nick.empty()) continue;
        std::string line = "KICK " + channel + " " + nick;
        if (!message.empty()) line += " :" + engine_.ToWire(slot, message);
        engine_.EnqueueLine(Queue::B, slot, line, 4);
    }
}

}  // namespace velmok::windows
