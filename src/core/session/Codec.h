#pragma once
#include <string>

namespace velmok::session {

// ISO-2022-JP (wire) to Shift-JIS (inside).
std::string JisToSjis(const std::string& text);
// The same for one piece of a longer stream: doubleByte is the shift state in
// force before text, and is left as the state after it.
std::string JisToSjis(const std::string& text, bool& doubleByte);
// Shift-JIS to ISO-2022-JP, after WidenKana.
std::string SjisToJis(const std::string& text);
// Half-width katakana to full-width Shift-JIS, voicing marks combined.
std::string WidenKana(const std::string& text);

// True when received text is meant as UTF-8: it holds no ESC (so it is no
// ISO-2022-JP), at least one byte above 0x7F, and is well-formed UTF-8 (no
// over-long forms, no surrogates, nothing above U+10FFFF).
bool IsUtf8Text(const std::string& text);
// UTF-8 to Shift-JIS (code page 932). A character the code page lacks becomes
// "〓"; invisible joiners and variation selectors are dropped; a byte that
// starts no well-formed character becomes "〓" too.
std::string Utf8ToShiftJis(const std::string& text);
// Received text for display: UTF-8 when IsUtf8Text says so, else ISO-2022-JP.
std::string WireToSjis(const std::string& text);

}  // namespace velmok::session
