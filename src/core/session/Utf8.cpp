// Received text from peers that send UTF-8 instead of ISO-2022-JP.
#include "base/Cp932.h"
#include "base/Texts.h"
#include "session/Codec.h"

namespace velmok::session {

bool IsInvisible(char32_t cp) {
    return (cp >= 0x200B && cp <= 0x200D) || (cp >= 0xFE00 && cp <= 0xFE0F) || cp == 0xFEFF ||
           (cp >= 0xE0100 && cp <= 0xE01EF);
}

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
        const std::size_t length = base::DecodeUtf8(text, i, cp);
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
        std::size_t length = base::DecodeUtf8(text, i, cp);
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
        } else if (!IsInvisible(cp)) {
            if (const std::uint16_t code = base::Cp932Code(cp)) {
                out.push_back(static_cast<char>(code >> 8));
                out.push_back(static_cast<char>(code & 0xFF));
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
