// Typed text on its way in: what the user typed, as the wire will carry it.
#include <algorithm>
#include <cstdio>

#include "base/Cp932.h"
#include "base/Texts.h"
#include "session/Codec.h"

namespace velmok::session {

namespace {

// Refused characters named one by one in the Error line; more are summed up.
constexpr std::size_t kNamedMost = 10;

// Whether the wire carries the character, and how it reads inside.
bool Carried(char32_t cp, config::WireEncoding encoding, std::string& sjis) {
    if (cp < 0x80) {
        sjis.push_back(static_cast<char>(cp));
        return true;
    }
    if (cp >= 0xFF61 && cp <= 0xFF9F) {
        // Half-width katakana: widened to JIS X 0208 for ISO-2022-JP.
        sjis.push_back(static_cast<char>(0xA1 + (cp - 0xFF61)));
        return true;
    }
    const std::uint16_t code = base::Cp932Code(cp);
    if (code == 0 || (encoding == config::WireEncoding::Iso2022Jp && !IsJisX0208(code))) return false;
    sjis.push_back(static_cast<char>(code >> 8));
    sjis.push_back(static_cast<char>(code & 0xFF));
    return true;
}

void Refuse(std::vector<char32_t>& refused, char32_t cp) {
    if (std::find(refused.begin(), refused.end(), cp) == refused.end()) refused.push_back(cp);
}

}  // namespace

TypedText ReadTyped(const std::string& utf8, config::WireEncoding encoding) {
    TypedText typed;
    typed.Sjis.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const std::size_t length = base::DecodeUtf8(utf8, i, cp);
        if (length == 0) {
            Refuse(typed.Refused, 0xFFFD);
            ++i;
            continue;
        }
        i += length;
        if (IsInvisible(cp)) continue;
        if (!Carried(cp, encoding, typed.Sjis)) Refuse(typed.Refused, cp);
    }
    return typed;
}

std::string RefusedText(const std::vector<char32_t>& refused) {
    std::string text = texts::TypedCannotSend;
    for (std::size_t k = 0; k < refused.size(); ++k) {
        if (k == kNamedMost) {
            text += texts::TypedListMore;
            break;
        }
        if (k > 0) text += texts::TypedListSeparator;
        const char32_t cp = refused[k];
        char number[16];
        std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(cp));
        // The character itself where the view can show it: vendor rows and
        // the like are in the code page, only not on the wire.
        if (const std::uint16_t code = base::Cp932Code(cp); code != 0 && base::Cp932Char(code) == cp) {
            text.push_back(static_cast<char>(code >> 8));
            text.push_back(static_cast<char>(code & 0xFF));
            text += "(" + std::string(number) + ")";
        } else {
            text += number;
        }
    }
    return text;
}

}  // namespace velmok::session
