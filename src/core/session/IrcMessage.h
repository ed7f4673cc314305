#pragma once
#include <array>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmok::session {

// One parsed server line. Field 0 is the sender's nick, field 1 the command,
// fields 2..16 the parameters (missing ones empty).
struct IrcMessage {
    std::array<std::string, 17> Field;
    std::string FullPrefix;
    // The IRCv3 message tags in front of the line ("@a=b;c"), in their order,
    // values with their escapes undone; a tag without a value has "".
    std::vector<std::pair<std::string, std::string>> Tags;

    // The value of the first tag of that name, or null.
    const std::string* Tag(std::string_view name) const {
        for (const auto& [key, value] : Tags)
            if (key == name) return &value;
        return nullptr;
    }

    const std::string& Nick() const { return Field[0]; }
    const std::string& Command() const { return Field[1]; }
    const std::string& operator[](int i) const { return Field[i]; }
    std::string& operator[](int i) { return Field[i]; }
};

// Longest line taken from a peer, finished or not. IRC allows 512 bytes; a
// peer that never sends a line end must not make the buffer grow for ever,
// and a longer line is dropped rather than shown or logged.
constexpr std::size_t MaxPendingLine = 64 * 1024;

// Takes the first complete line off the front of buffer (see the .cpp for the
// exact rules); none when no complete line is waiting.
std::optional<std::string> NextLine(std::string& buffer);
// Same rules, reading buffer from pos and moving pos past what was taken, so a
// caller can take many lines and erase the consumed front once.
std::optional<std::string> NextLine(const std::string& buffer, std::size_t& pos);

// Drops an unfinished tail longer than MaxPendingLine from buffer. Returns true
// when something was dropped.
bool TrimPendingLine(std::string& buffer);

// The moment a server-time tag names ("2024-01-02T03:04:05.678Z", UTC, the
// fraction optional) as seconds since 1970; none when it is no such time.
std::optional<std::time_t> ParseServerTime(std::string_view value);

// Splits one line; none for a line without a blank. Message tags in front
// of it are taken off first, whoever sent them.
std::optional<IrcMessage> ParseLine(const std::string& line, const std::string& serverName);

}  // namespace velmok::session
