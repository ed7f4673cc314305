#include <charconv>
#include <cstdint>
#include <system_error>

#include "session/ChannelNames.h"
#include "session/Engine.h"

namespace velmok::session {

namespace {

// "0" + n, keeping the last two characters: 5 -> "05", 123 -> "23".
std::string LastTwo(std::uint64_t n) {
    const std::string s = "0" + std::to_string(n);
    return s.substr(s.size() - 2);
}

// Idle seconds as hh:mm:ss; empty when the field is not a plain decimal number.
std::string IdleText(const std::string& field) {
    std::uint64_t seconds = 0;
    if (field.empty() || field.front() < '0' || field.front() > '9') return {};
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), seconds);
    if (ec != std::errc() || end != field.data() + field.size()) return {};
    return LastTwo(seconds / 3600) + ":" + LastTwo(seconds % 3600 / 60) + ":" + LastTwo(seconds % 60);
}

constexpr const char* kCrLf = "\r\n";

}  // namespace

int Engine::FindWhoisRow(int slot, const std::string& nick) const {
    for (std::size_t i = 0; i < Liv_Whois.size(); ++i) {
        if (Liv_Whois[i].Slot == slot && channels::SameName(Liv_Whois[i].Col[WhoisNick], nick))
            return static_cast<int>(i);
    }
    return -1;
}

WhoisRow& Engine::WhoisRowFor(int slot, const std::string& nick) {
    const int index = FindWhoisRow(slot, nick);
    if (index >= 0) return Liv_Whois[index];
    Liv_Whois.push_back(WhoisRow{slot, {}});
    return Liv_Whois.back();
}

void Engine::HandleWhoisReply(int slot, const IrcMessage& message) {
    // A reply without a nick belongs to no row; storing it would leave a row
    // that nothing ever finds or removes.
    if (message[3].empty()) return;
    WhoisRow& row = WhoisRowFor(slot, message[3]);
    row.Col[WhoisNick] = message[3];
    const std::string& command = message[1];
    if (command == "301") {
        row.Col[WhoisAway] = message[4];
    } else if (command == "311") {
        row.Col[WhoisUser] = message[4];
        row.Col[WhoisHost] = message[5];
        row.Col[WhoisRealName] = message[7];
    } else if (command == "312") {
        row.Col[WhoisServerName] = message[4];
        row.Col[WhoisServerInfo] = message[5];
    } else if (command == "313") {
        row.Col[WhoisIRCOp] = message[4];
    } else if (command == "317") {
        row.Col[WhoisIdleTime] = IdleText(message[4]);
        row.Col[WhoisIdleMessage] = message[4] + " " + message[5];
    } else if (command == "319") {
        row.Col[WhoisChannels] = message[4];
    }
}

void Engine::HandleEndOfWhois(int slot, const IrcMessage& message) {
    // No row means nothing arrived for this nick (no such nick): the empty row
    // a look-up would add is dropped at once, so none is added.
    const int index = FindWhoisRow(slot, message[3]);
    if (index < 0) return;
    WhoisRow& row = Liv_Whois[index];
    std::string& isShow = row.Col[WhoisIsShow];
    if (row.Col[WhoisNick].empty()) {
        Liv_Whois.erase(Liv_Whois.begin() + index);
    } else if (isShow != "1" && isShow != "2") {
        isShow = "2";
        const std::string nick = row.Col[WhoisNick];
        frontend_.OpenWhoisWindow(slot, nick, nick + " " + row.Col[WhoisIRCOp]);
    } else if (isShow == "1") {
        // The open window refills itself from the row.
        isShow = "2";
        const std::string nick = row.Col[WhoisNick];
        frontend_.RefreshWhoisWindow(slot, nick);
    }
}

void Engine::HandleEndOfWhowas(int slot, const IrcMessage& message) {
    const int index = FindWhoisRow(slot, message[3]);
    if (index < 0) return;  // a new, empty row would be deleted at once
    const std::string& isShow = Liv_Whois[index].Col[WhoisIsShow];
    if (isShow != "1" && isShow != "2") Liv_Whois.erase(Liv_Whois.begin() + index);
}

void Engine::HandleListEntry(int slot, const IrcMessage& message) {
    SlotState& s = slots_[slot];
    if (s.ListDropped) return;
    s.ListReceiving = true;
    s.ListText += message[3] + kCrLf + message[4] + kCrLf + message[5] + kCrLf;
}

bool Engine::HandleListEnd(int slot, const IrcMessage&) {
    SlotState& s = slots_[slot];
    s.ListReceiving = false;
    s.ListDropped = false;
    if (s.ListText.empty()) return false;
    const bool open = s.ListState == 0;
    if (open) frontend_.OpenChannelList(slot);
    // An open window sees 1 and reloads.
    s.ListState = 1;
    if (!open) frontend_.RefreshChannelList(slot);
    return true;
}

void Engine::DropCollectedReplies(int slot) {
    SlotState& s = slots_[slot];
    // A list cut off by the disconnection would otherwise be shown at the
    // front of the next one. A complete list still waiting for its window's
    // tick is kept.
    if (s.ListReceiving) {
        std::string().swap(s.ListText);
        if (s.ListState == 1) s.ListState = 2;
    }
    s.ListReceiving = false;
    s.ListDropped = false;
    // Rows still collecting never get their end of WHOIS now; rows of open
    // windows stay with their windows.
    std::erase_if(Liv_Whois, [slot](const WhoisRow& row) {
        return row.Slot == slot && row.Col[WhoisIsShow] != "1" && row.Col[WhoisIsShow] != "2";
    });
}

bool Engine::HandleBanEntry(int, const IrcMessage& message) {
    BanListBuffer += message[3] + kCrLf + message[4] + kCrLf;
    return BanListRequests > 0;
}

bool Engine::HandleBanEnd(int, const IrcMessage& message) {
    BanListReply = BanListBuffer + message[3] + "\r\n\r\n";
    BanListBuffer.clear();
    if (BanListRequests <= 0) return false;
    --BanListRequests;
    return true;
}

}  // namespace velmok::session
