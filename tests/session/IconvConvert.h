#pragma once
// Reference conversions through the C library's iconv, used to check our own
// converters against an independent implementation.
#include <iconv.h>

#include <cerrno>
#include <optional>
#include <string>

namespace velmok::session {

// Converts text from one encoding to another; none when iconv refuses any of it.
inline std::optional<std::string> IconvConvert(const char* to, const char* from, const std::string& text) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string in = text;
    std::string out(text.size() * 4 + 16, '\0');
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
    // Flush the shift state so ISO-2022-JP ends with its return to ASCII.
    if (ok) ok = iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

inline std::string Utf8ToSjis(const std::string& utf8) {
    return IconvConvert("CP932", "UTF-8", utf8).value();
}
inline std::string Utf8ToJis(const std::string& utf8) {
    return IconvConvert("ISO-2022-JP", "UTF-8", utf8).value();
}

// UTF-8 form of one code point.
inline std::string Utf8(char32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        s.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        s.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        s.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        s.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        s.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    return s;
}

}  // namespace velmok::session
