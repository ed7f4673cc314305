// Received text from peers that send UTF-8 instead of ISO-2022-JP.
#include <algorithm>

#include "base/Texts.h"
#include "session/Codec.h"
#include "session/Cp932Table.h"

namespace velmok::session {

namespace {

// Length of the well-formed UTF-8 sequence at text[i] and its code point; 0
// when none starts there.
std::size_t DecodeOne(const std::string& text, std::size_t i, char32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) low = 0xA0;   // over-long
        if (b0 == 0xED) high = 0x9F;  // surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0) low = 0x90;   // over-long
        if (b0 == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char b = byte(i + k);
        if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    return length;
}

bool Invisible(char32_t cp) {
    return (cp >= 0x200B && cp <= 0x200D) || (cp >= 0xFE00 && cp <= 0xFE0F) || cp == 0xFEFF ||
           (cp >= 0xE0100 && cp <= 0xE01EF);
}

}  // namespace

bool IsUtf8Text(const std::string& text) {
    bool wide = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == 0x1B) return false;
        if (b < 0x80) {
            ++i;
            continue;
        }
        char32_t cp;
        const std::size_t length = DecodeOne(text, i, cp);
        if (length == 0) return false;
        wide = true;
        i += length;
    }
    return wide;
}

std::string Utf8ToShiftJis(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp;
        std::size_t length = DecodeOne(text, i, cp);
        if (length == 0) {
            out += texts::MissingCharacter;
            ++i;
            continue;
        }
        i += length;
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp >= 0xFF61 && cp <= 0xFF9F) {
            out.push_back(static_cast<char>(0xA1 + (cp - 0xFF61)));  // half-width katakana
        } else if (!Invisible(cp)) {
            const std::uint32_t key = static_cast<std::uint32_t>(cp) << 16;
            const std::uint32_t* end = kCp932DoubleByte + kCp932DoubleByteCount;
            const std::uint32_t* it = std::lower_bound(kCp932DoubleByte, end, key);
            if (cp <= 0xFFFF && it != end && (*it >> 16) == cp) {
                out.push_back(static_cast<char>((*it >> 8) & 0xFF));
                out.push_back(static_cast<char>(*it & 0xFF));
            } else {
                out += texts::MissingCharacter;
            }
        }
    }
    return out;
}

std::string WireToSjis(const std::string& text) {
    return IsUtf8Text(text) ? Utf8ToShiftJis(text) : JisToSjis(text);
}

}  // namespace velmok::session
