#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "config/Encoding.h"

namespace velmok::session {

// ISO-2022-JP (wire) to Shift-JIS (inside).
std::string JisToSjis(const std::string& text);
// The same for one piece of a longer stream: doubleByte is the shift state in
// force before text, and is left as the state after it.
std::string JisToSjis(const std::string& text, bool& doubleByte);
// Shift-JIS to ISO-2022-JP, after WidenKana. Only JIS X 0208 goes on the
// wire: a pair outside it (the NEC and IBM rows, the user-defined area) is
// left out.
std::string SjisToJis(const std::string& text);
// Shift-JIS text for a server that reads the given encoding: SjisToJis, or
// UTF-8 with half-width katakana as they are.
std::string SjisToWire(const std::string& text, config::WireEncoding encoding);
// Whether a double-byte Shift-JIS code stands for a character of JIS X 0208.
bool IsJisX0208(std::uint16_t sjisCode);
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
// Joiners, variation selectors and the byte order mark: nothing to show.
bool IsInvisible(char32_t cp);

// Text the user typed (UTF-8) on its way to the wire: the program's own
// Shift-JIS, which the wire carries exactly as it is shown.
struct TypedText {
    std::string Sjis;
    // Characters the wire cannot carry, each once, in the order typed. A
    // line holding any of them must not be sent: it would arrive without them.
    std::vector<char32_t> Refused;
};
// Reads typed text. The forms input methods give for JIS X 0208 characters
// (U+301C for "～", U+2212 for "－", ...) become those characters;
// invisible joiners are dropped; anything else outside JIS X 0208 (vendor
// rows, other scripts, emoji) is refused. For a UTF-8 server only what
// Shift-JIS lacks (other scripts, emoji) is refused: the vendor rows ("①",
// "髙") reach it as they are.
TypedText ReadTyped(const std::string& utf8, config::WireEncoding encoding = config::WireEncoding::Iso2022Jp);
// The Error line naming refused characters, in Shift-JIS: each as itself
// where Shift-JIS can show it, and by its code point ("①(U+2460)、U+20AC").
std::string RefusedText(const std::vector<char32_t>& refused);

}  // namespace velmok::session
