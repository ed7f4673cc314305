#pragma once
// The WHOIS window's logic: filling it from its row of the WHOIS table and
// deleting the row when it closes.
#include <string>
#include <vector>

namespace velmok::session {
class Engine;
}

namespace velmok::windows {

// The fields of the window (Shift-JIS).
struct WhoisView {
    std::string away;
    std::string user;
    std::string host;
    std::string real;
    std::string server;
    std::string serverInfo;
    bool hasIdle = false;  // when false the Idle field keeps what it shows
    std::string idle;
    std::vector<std::string> channels;
};

// Fill, at opening and on every tick: when the slot's row for nick is complete
// and waiting ("2"), fills view from it, marks it shown ("1") and returns true.
bool FillWhois(session::Engine& engine, int slot, const std::string& nick, WhoisView& view);

// The entries of the channel list for the row's channel text: split at every
// blank; two blanks in a row give an empty entry.
std::vector<std::string> WhoisChannelEntries(const std::string& channels);

// FormClose: deletes the window's row.
void WhoisClosed(session::Engine& engine, int slot, const std::string& nick);

}  // namespace velmok::windows
