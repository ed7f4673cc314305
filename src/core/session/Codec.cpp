#include "session/Codec.h"

#include <array>
#include <cstdint>

#include "base/Common.h"
#include "base/Cp932.h"

namespace velmok::session {

namespace {

using base::IsSjisLead;
using base::IsSjisTrail;

constexpr char kEsc = '\x1b';

// Full-width Shift-JIS code for each half-width byte 0xA1..0xDF (JIS X 0201 to
// JIS X 0208), punctuation and voicing marks included.
constexpr std::array<std::uint16_t, 63> kWideKana = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // A1..A8
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // A9..B0
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // B1..B8
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // B9..C0
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // C1..C8
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // C9..D0
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // D1..D8
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // D9..DF
};

constexpr unsigned char kVoiced = 0xDE;
constexpr unsigned char kSemiVoiced = 0xDF;

bool IsHalfWidthKana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }

// How far a voicing mark moves the full-width form of the half-width byte c;
// 0 when the pair does not combine.
unsigned VoicingStep(unsigned char c, unsigned char mark) {
    if (mark == kVoiced) {
        if ((c >= 0xB6 && c <= 0xC4) || (c >= 0xCA && c <= 0xCE)) return 1;
        if (c == 0xB3) return 79;  // ウ + ゛ = ヴ, which sits far from ウ
    } else if (mark == kSemiVoiced) {
        if (c >= 0xCA && c <= 0xCE) return 2;
    }
    return 0;
}

bool IsJisByte(unsigned char c) { return c >= 0x21 && c <= 0x7E; }

void AppendJisAsSjis(std::string& out, unsigned char j1, unsigned char j2) {
    const unsigned s1 = ((j1 + 1u) >> 1) + (j1 <= 0x5E ? 0x70u : 0xB0u);
    unsigned s2;
    if (j1 & 1u) {
        s2 = j2 + (j2 < 0x60 ? 0x1Fu : 0x20u);
    } else {
        s2 = j2 + 0x7Eu;
    }
    out.push_back(static_cast<char>(s1));
    out.push_back(static_cast<char>(s2));
}

// The JIS X 0208 code of a Shift-JIS pair, or false when the pair lies
// outside the 94x94 set (user-defined area, IBM extensions).
bool SjisToJisPair(unsigned char s1, unsigned char s2, unsigned char& j1, unsigned char& j2) {
    unsigned row = s1 <= 0x9F ? (s1 - 0x70u) : (s1 - 0xB0u);
    row <<= 1;
    unsigned cell;
    if (s2 >= 0x9F) {
        cell = s2 - 0x7Eu;
    } else {
        row -= 1;
        cell = s2 - (s2 >= 0x80 ? 0x20u : 0x1Fu);
    }
    if (row < 0x21 || row > 0x7E || cell < 0x21 || cell > 0x7E) return false;
    j1 = static_cast<unsigned char>(row);
    j2 = static_cast<unsigned char>(cell);
    return true;
}

// The cells JIS X 0208 assigns, row by row: rows 1 to 8 hold symbols with
// gaps, 16 to 84 the kanji (row 47 and row 84 end early); rows 9 to 15 and 85
// to 94 are empty in the standard and hold vendor characters in code page 932.
bool IsJisX0208Cell(unsigned char j1, unsigned char j2) {
    struct Span {
        unsigned char first, last;
    };
    static constexpr Span kRow2[] = {{0x21, 0x2E}, {0x3A, 0x41}, {0x4A, 0x50},
                                     {0x5C, 0x6A}, {0x72, 0x79}, {0x7E, 0x7E}};
    static constexpr Span kRow3[] = {{0x30, 0x39}, {0x41, 0x5A}, {0x61, 0x7A}};
    static constexpr Span kRow6[] = {{0x21, 0x38}, {0x41, 0x58}};
    static constexpr Span kRow7[] = {{0x21, 0x41}, {0x51, 0x71}};
    auto within = [j2](const auto& spans) {
        for (const Span& s : spans)
            if (j2 >= s.first && j2 <= s.last) return true;
        return false;
    };
    if (!IsJisByte(j2)) return false;
    switch (j1) {
        case 0x21:
            return true;
        case 0x22:
            return within(kRow2);
        case 0x23:
            return within(kRow3);
        case 0x24:
            return j2 <= 0x73;
        case 0x25:
            return j2 <= 0x76;
        case 0x26:
            return within(kRow6);
        case 0x27:
            return within(kRow7);
        case 0x28:
            return j2 <= 0x40;
        case 0x4F:
            return j2 <= 0x53;
        case 0x74:
            return j2 <= 0x26;
        default:
            return j1 >= 0x30 && j1 <= 0x73;
    }
}

bool HasEscape(const std::string& text, std::size_t i, char a, char b) {
    return i + 2 < text.size() && text[i] == kEsc && text[i + 1] == a && text[i + 2] == b;
}

}  // namespace

bool IsJisX0208(std::uint16_t sjisCode) {
    unsigned char j1 = 0;
    unsigned char j2 = 0;
    const auto s1 = static_cast<unsigned char>(sjisCode >> 8);
    const auto s2 = static_cast<unsigned char>(sjisCode & 0xFF);
    return IsSjisLead(s1) && IsSjisTrail(s2) && SjisToJisPair(s1, s2, j1, j2) && IsJisX0208Cell(j1, j2);
}

std::string JisToSjis(const std::string& text) {
    bool doubleByte = false;
    return JisToSjis(text, doubleByte);
}

std::string JisToSjis(const std::string& text, bool& doubleByte) {
    std::string out;
    out.reserve(text.size());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        if (text[i] == kEsc && i + 2 < n) {
            // ESC $@ (the older JIS C 6226 designation) and ESC (J (JIS Roman)
            // are sent by real peers and mean the same to us as ESC $B / ESC (B.
            if (HasEscape(text, i, '$', 'B') || HasEscape(text, i, '$', '@')) {
                doubleByte = true;
                i += 3;
                continue;
            }
            if (HasEscape(text, i, '(', 'B') || HasEscape(text, i, '(', 'J')) {
                doubleByte = false;
                i += 3;
                continue;
            }
        }
        if (!doubleByte) {
            // Up to the next escape the bytes pass as they are.
            const std::size_t esc = text.find(kEsc, i + 1);
            const std::size_t end = esc == std::string::npos ? n : esc;
            out.append(text, i, end - i);
            i = end;
            continue;
        }
        if (i + 1 >= n) break;  // half a character at the end: dropped
        const auto j1 = static_cast<unsigned char>(text[i]);
        const auto j2 = static_cast<unsigned char>(text[i + 1]);
        if (IsJisByte(j1) && IsJisByte(j2)) AppendJisAsSjis(out, j1, j2);
        i += 2;
    }
    return out;
}

std::string WidenKana(const std::string& text) {
    std::string out;
    out.reserve(text.size() * 2);
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsSjisLead(c) && i + 1 < n && IsSjisTrail(static_cast<unsigned char>(text[i + 1]))) {
            out.push_back(text[i]);
            out.push_back(text[i + 1]);
            i += 2;
            continue;
        }
        if (!IsHalfWidthKana(c)) {
            out.push_back(text[i]);
            ++i;
            continue;
        }
        unsigned wide = kWideKana[c - 0xA1];
        ++i;
        if (i < n) {
            const unsigned step = VoicingStep(c, static_cast<unsigned char>(text[i]));
            if (step != 0) {
                wide += step;
                ++i;
            }
        }
        out.push_back(static_cast<char>(wide >> 8));
        out.push_back(static_cast<char>(wide & 0xFF));
    }
    return out;
}

std::string SjisToJis(const std::string& text) {
    const std::string wide = WidenKana(text);
    std::string out;
    out.reserve(wide.size() + wide.size() / 2 + 8);
    bool doubleByte = false;
    const std::size_t n = wide.size();
    std::size_t i = 0;
    while (i < n) {
        const auto c = static_cast<unsigned char>(wide[i]);
        if (IsSjisLead(c)) {
            // A lead byte without a proper trail byte is dropped on its own so
            // that the byte after it (often plain ASCII) survives.
            if (i + 1 < n && IsSjisTrail(static_cast<unsigned char>(wide[i + 1]))) {
                unsigned char j1 = 0;
                unsigned char j2 = 0;
                if (SjisToJisPair(c, static_cast<unsigned char>(wide[i + 1]), j1, j2) &&
                    IsJisX0208Cell(j1, j2)) {
                    if (!doubleByte) {
                        out.append({kEsc, '$', 'B'});
                        doubleByte = true;
                    }
                    out.push_back(static_cast<char>(j1));
                    out.push_back(static_cast<char>(j2));
                }
                i += 2;
            } else {
                ++i;
            }
        } else {
            out.push_back(wide[i]);
            ++i;
        }
        if (doubleByte && (i >= n || !IsSjisLead(static_cast<unsigned char>(wide[i])))) {
            out.append({kEsc, '(', 'B'});
            doubleByte = false;
        }
    }
    return out;
}

std::string SjisToWire(const std::string& text, config::WireEncoding encoding) {
    // A byte that starts no Shift-JIS character (a "|x" escape of the input
    // line) goes to UTF-8 as U+FFFD, so the line stays well-formed UTF-8.
    return encoding == config::WireEncoding::Utf8 ? base::SjisToUtf8(text) : SjisToJis(text);
}

}  // namespace velmok::session
