// irc:// and ircs:// links: irc://HOST[:PORT][/CHANNEL[,KEY]], as a desktop
// hands them to the program or a user types them on the command line.
#pragma once

#include <functional>
#include <string>

#include "config/Profiles.h"

namespace velmok::ui {

struct IrcLink {
    // ircs://: the connection must use TLS.
    bool Tls = false;
    std::string Host;  // an IPv6 literal without its brackets
    int Port = 6667;
    // Shift-JIS; "#" put in front when the name had no channel prefix. Empty:
    // connect only.
    std::string Channel;
    std::string Key;  // Shift-JIS, may be empty
};

inline constexpr int kIrcPort = 6667;
inline constexpr int kIrcsPort = 6697;

// Error numbers of the links beyond the profile and channel checks.
inline constexpr int kNoFreeSlot = 36;
inline constexpr int kLinkMalformed = 37;

// Converts UTF-8 text to Shift-JIS; false when a character has no Shift-JIS form.
using Utf8ToShiftJis = std::function<bool(const std::string& utf8, std::string& sjis)>;

// 0 and the link filled in, or the number of the error message that says what
// is wrong: 37 not a link or a broken escape, 6/14/15 the host, 16 the port,
// 10/24/25/26 the channel (ChannelCheck), 27 the key. Escaped and unescaped
// non-ASCII text is read as UTF-8, as ISO-2022-JP when it holds ESC, and as
// Shift-JIS when it is neither.
int ParseIrcLink(const std::string& text, const Utf8ToShiftJis& toSjis, IrcLink& link);

// The profile a link connects with: the link's server, the identity (nick,
// away nick, user, real name) of `identity`, no password, and the link's
// channel as the one ticked auto-join entry.
config::ConnectionProfile LinkProfile(const IrcLink& link, const config::ConnectionProfile& identity);

}  // namespace velmok::ui
