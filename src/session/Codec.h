#pragma once
#include <string>

namespace velmok::session {

// Shift-JIS (code page 932) lead byte.
inline bool IsSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
// Shift-JIS trail byte.
inline bool IsSjisTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// ISO-2022-JP (wire) to Shift-JIS (inside).
std::string JisToSjis(const std::string& text);
// The same for one piece of a longer stream: doubleByte is the shift state in
// force before text, and is left as the state after it.
std::string JisToSjis(const std::string& text, bool& doubleByte);
// Shift-JIS to ISO-2022-JP, after WidenKana.
std::string SjisToJis(const std::string& text);
// Half-width katakana to full-width Shift-JIS, voicing marks combined.
std::string WidenKana(const std::string& text);

}  // namespace velmok::session
