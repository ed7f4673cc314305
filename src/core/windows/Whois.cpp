#include "windows/Whois.h"

#include "session/ChannelNames.h"
#include "session/Codec.h"
#include "session/Engine.h"
#include "windows/ReplyText.h"

namespace velmok::windows {

using session::WireToSjis;

namespace {

// The window's row. Rows are found by the table's own rule (ASCII letters
// folded), so a reply that spells the nick differently still reaches the
// window and its row still goes when the window closes.
int RowOf(const session::Engine& engine, int slot, const std::string& nick, bool waiting) {
    for (std::size_t i = 0; i < engine.Liv_Whois.size(); ++i) {
        const session::WhoisRow& row = engine.Liv_Whois[i];
        if (row.Slot != slot || !session::channels::SameName(row.Col[session::WhoisNick], nick)) continue;
        if (waiting && row.Col[session::WhoisIsShow] != "2") continue;
        return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

std::vector<std::string> WhoisChannelEntries(const std::string& channels) {
    std::vector<std::string> entries;
    std::size_t pos = 0;
    while (pos < channels.size()) {
        const std::size_t blank = channels.find(' ', pos);
        const std::string piece =
            channels.substr(pos, blank == std::string::npos ? std::string::npos : blank - pos);
        entries.push_back(ShownChannelName(piece));
        if (blank == std::string::npos) break;
        pos = blank + 1;
    }
    // Servers end the list with a blank; nothing stands after it.
    return entries;
}

bool FillWhois(session::Engine& engine, int slot, const std::string& nick, WhoisView& view) {
    const int index = RowOf(engine, slot, nick, true);
    if (index < 0) return false;
    auto& col = engine.Liv_Whois[index].Col;
    view.away = WireToSjis(col[session::WhoisAway]);
    view.user = col[session::WhoisUser];
    view.host = col[session::WhoisHost];
    view.real = WireToSjis(col[session::WhoisRealName]);
    view.server = col[session::WhoisServerName];
    view.serverInfo = WireToSjis(col[session::WhoisServerInfo]);
    view.hasIdle = !col[session::WhoisIdleTime].empty();
    view.idle.clear();
    if (view.hasIdle) {
        view.idle.append(col[session::WhoisIdleMessage]).append("(");
        view.idle.append(col[session::WhoisIdleTime]).append(")");
    }
    view.channels = WhoisChannelEntries(col[session::WhoisChannels]);
    // Marked shown; a repeated WHOIS makes it "2" again.
    col[session::WhoisIsShow].assign(1, '1');
    return true;
}

void WhoisClosed(session::Engine& engine, int slot, const std::string& nick) {
    const int index = RowOf(engine, slot, nick, false);
    if (index >= 0) engine.Liv_Whois.erase(engine.Liv_Whois.begin() + index);
}

}  // namespace velmok::windows
