// Code page 932 one character at a time, and UTF-8 text to and from it. The
// Qt layer has converters of its own for what it shows; these serve the core,
// which must decide on text it cannot hand to Qt: received UTF-8, typed text
// on its way to the wire, folder names kept in velmok.ini.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace velmok::base {

// Length of the well-formed UTF-8 sequence at text[i] and its code point; 0
// when none starts there (over-long forms, surrogates and anything above
// U+10FFFF start none).
std::size_t DecodeUtf8(const std::string& text, std::size_t i, char32_t& cp);
// Appends the UTF-8 form of cp (U+FFFD for a surrogate or a value above U+10FFFF).
void AppendUtf8(std::string& out, char32_t cp);

// The double-byte Shift-JIS code of a character, or 0 when the code page has
// none. A few characters that Linux input methods and UTF-8 senders use for
// the same JIS X 0208 glyphs (U+301C WAVE DASH for "～", U+2212 MINUS SIGN for
// "－", U+2016, U+00A2, U+00A3, U+00AC, U+2014, U+00A5) get that glyph's code.
std::uint16_t Cp932Code(char32_t cp);
// The character of a double-byte Shift-JIS code, or 0 when it decodes to none.
char32_t Cp932Char(std::uint16_t code);

// Names that must come back byte for byte, such as folders: UTF-8 to
// Shift-JIS when every character has a code of its own that reads back as the
// same character; false otherwise, and sjis is then to be ignored.
bool Utf8ToSjisExactly(const std::string& utf8, std::string& sjis);
// Shift-JIS to UTF-8; a byte or pair that decodes to nothing becomes U+FFFD.
std::string SjisToUtf8(const std::string& sjis);

}  // namespace velmok::base
