#include "base/Cp932.h"

#include <algorithm>

#include "base/Common.h"
#include "base/Cp932Table.h"

namespace velmok::base {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Upper half of the entry as the key, lower half as the value; 0 when missing.
std::uint16_t Lookup(const std::uint32_t* table, std::size_t count, std::uint32_t key) {
    const std::uint32_t* end = table + count;
    const std::uint32_t* it = std::lower_bound(table, end, key << 16);
    if (it == end || (*it >> 16) != key) return 0;
    return static_cast<std::uint16_t>(*it & 0xFFFF);
}

bool IsHalfWidthKana(char32_t cp) { return cp >= 0xFF61 && cp <= 0xFF9F; }

}  // namespace

std::size_t DecodeUtf8(const std::string& text, std::size_t i, char32_t& cp) {
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

void AppendUtf8(std::string& out, char32_t cp) {
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::uint16_t Cp932Code(char32_t cp) {
    if (cp > 0xFFFF) return 0;
    return Lookup(kCp932DoubleByte, kCp932DoubleByteCount, static_cast<std::uint32_t>(cp));
}

char32_t Cp932Char(std::uint16_t code) { return Lookup(kCp932Decode, kCp932DecodeCount, code); }

bool Utf8ToSjisExactly(const std::string& utf8, std::string& sjis) {
    sjis.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(utf8, i, cp);
        if (length == 0) return false;
        i += length;
        if (cp < 0x80) {
            sjis.push_back(static_cast<char>(cp));
        } else if (IsHalfWidthKana(cp)) {
            sjis.push_back(static_cast<char>(0xA1 + (cp - 0xFF61)));
        } else {
            const std::uint16_t code = Cp932Code(cp);
            // A code borrowed for a look-alike reads back as the other character.
            if (code == 0 || Cp932Char(code) != cp) return false;
            sjis.push_back(static_cast<char>(code >> 8));
            sjis.push_back(static_cast<char>(code & 0xFF));
        }
    }
    return true;
}

std::string SjisToUtf8(const std::string& sjis) {
    std::string out;
    out.reserve(sjis.size() * 3 / 2);
    for (std::size_t i = 0; i < sjis.size();) {
        const auto c = static_cast<unsigned char>(sjis[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
        } else if (c >= 0xA1 && c <= 0xDF) {
            AppendUtf8(out, 0xFF61 + (c - 0xA1));
            ++i;
        } else if (IsSjisLead(c) && i + 1 < sjis.size() &&
                   IsSjisTrail(static_cast<unsigned char>(sjis[i + 1]))) {
            const char32_t cp =
                Cp932Char(static_cast<std::uint16_t>(c << 8 | static_cast<unsigned char>(sjis[i + 1])));
            AppendUtf8(out, cp != 0 ? cp : kReplacement);
            i += 2;
        } else {
            AppendUtf8(out, kReplacement);
            ++i;
        }
    }
    return out;
}

}  // namespace velmok::base
