#pragma once
// Reading the CR LF-separated texts the reply stores hand to the windows.
#include <string>

#include "base/Common.h"
#include "session/Codec.h"

namespace velmok::windows {

// The line of text that starts at pos, without its CR LF; the rest of the
// text when no CR LF follows (a store cut short keeps what arrived). Moves
// pos past the line.
inline std::string NextLine(const std::string& text, std::size_t& pos) {
    const std::size_t end = text.find("\r\n", pos);
    std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    pos = end == std::string::npos ? text.size() : end + 2;
    return line;
}

// A channel name as the windows list it: in Shift-JIS, marked when it
// arrived in Shift-JIS rather than in a wire encoding (ISO-2022-JP, UTF-8).
inline std::string ShownChannelName(const std::string& received) {
    if (session::IsUtf8Text(received)) return session::Utf8ToShiftJis(received);
    std::string shown = session::JisToSjis(received);
    if (base::HasDoubleByte(received)) shown += " (Shift-JIS is included.)";
    return shown;
}

}  // namespace velmok::windows
