#include "ui/LineFormat.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "base/Common.h"
#include "session/Codec.h"

namespace velmok::ui {

using session::FontKind;

namespace {

constexpr std::size_t npos = std::string_view::npos;

inline bool IsUrlChar(unsigned char c) { return c >= 0x21 && c <= 0x7E; }

// Bytes of the character at i: a lead byte takes its trail with it, anything
// else (a lone lead byte at the end or before a non-trail byte too) stands alone.
inline std::size_t CharLen(std::string_view s, std::size_t i) {
    if (base::IsSjisLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
        base::IsSjisTrail(static_cast<unsigned char>(s[i + 1])))
        return 2;
    return 1;
}

// Whether s holds prefix (upper case ASCII) at i, ignoring ASCII case.
inline bool MatchesUpper(std::string_view s, std::size_t i, std::string_view prefix) {
    if (s.size() - i < prefix.size()) return false;
    for (std::size_t k = 0; k < prefix.size(); ++k) {
        unsigned char c = static_cast<unsigned char>(s[i + k]);
        if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - ('a' - 'A'));
        if (c != static_cast<unsigned char>(prefix[k])) return false;
    }
    return true;
}

constexpr std::array<std::string_view, 4> kUrlPrefixes = {"HTTP://", "HTTPS://", "FTP://", "MAILTO:"};

inline bool IsAttributeCode(char c) { return c == '\x01' || c == '\x02' || c == '\x16' || c == '\x1F'; }

// Whether text holds one of the attribute toggles 0x01, 0x02, 0x16, 0x1F.
// Every line is tested, so eight bytes are first checked at once for any byte
// below 0x20, which ordinary text does not have.
bool HasAttributeCodes(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (((word - kOnes * 0x20) & ~word & kHigh) == 0) continue;
        for (std::size_t k = i; k < i + 8; ++k)
            if (IsAttributeCode(text[k])) return true;
    }
    for (; i < text.size(); ++i)
        if (IsAttributeCode(text[i])) return true;
    return false;
}

// Whether some prefix could be in text: every one of them holds ":" right
// after "HTTP", "HTTPS", "FTP" or "MAILTO". Cheap enough that lines without a
// URL never pay for the full scan.
bool MayHoldUrl(std::string_view text) {
    for (std::size_t c = text.find(':'); c != npos; c = text.find(':', c + 1)) {
        if (text.compare(c, 3, "://") == 0) {
            if ((c >= 4 && MatchesUpper(text, c - 4, "HTTP")) ||
                (c >= 5 && MatchesUpper(text, c - 5, "HTTPS")) ||
                (c >= 3 && MatchesUpper(text, c - 3, "FTP")))
                return true;
        }
        if (c >= 6 && MatchesUpper(text, c - 6, "MAILTO")) return true;
    }
    return false;
}

// The marking scan: calls found(begin, end) for every URL in text. A prefix
// counts only when a URL character follows it; a later prefix inside a URL
// restarts the URL there.
template <typename Found>
void ScanUrls(std::string_view text, Found&& found) {
    if (!MayHoldUrl(text)) return;
    const std::size_t n = text.size();
    std::size_t start = npos;
    for (std::size_t i = 0; i < n;) {
        const std::size_t len = CharLen(text, i);
        const unsigned char lower = static_cast<unsigned char>(text[i]) | 0x20;
        if (len == 1 && (lower == 'h' || lower == 'f' || lower == 'm')) {
            for (std::string_view p : kUrlPrefixes) {
                if (MatchesUpper(text, i, p) && i + p.size() < n &&
                    IsUrlChar(static_cast<unsigned char>(text[i + p.size()]))) {
                    start = i;
                    break;
                }
            }
        }
        if (start != npos) {
            const bool urlChar = len == 1 && IsUrlChar(static_cast<unsigned char>(text[i]));
            const bool last = i + len >= n;
            if (!urlChar || last) {
                found(static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(urlChar ? n : i));
                start = npos;
            }
        }
        i += len;
    }
}

void AppendRun(std::vector<Run>& runs, std::uint32_t begin, std::uint32_t end, const RunStyle& style) {
    if (begin >= end) return;
    if (!runs.empty() && runs.back().end == begin && runs.back().style == style) {
        runs.back().end = end;
        return;
    }
    runs.push_back({begin, end, style});
}

// Re-styles [begin, end) with the overlay, splitting the runs it cuts.
void ApplyOverlay(std::vector<Run>& runs, std::uint32_t begin, std::uint32_t end, Overlay overlay) {
    RunStyle over;
    over.overlay = overlay;
    std::vector<Run> out;
    out.reserve(runs.size() + 2);
    for (const Run& r : runs) {
        if (r.end <= begin || r.begin >= end) {
            AppendRun(out, r.begin, r.end, r.style);
            continue;
        }
        if (r.begin < begin) AppendRun(out, r.begin, begin, r.style);
        AppendRun(out, std::max(r.begin, begin), std::min(r.end, end), over);
        if (r.end > end) AppendRun(out, end, r.end, r.style);
    }
    runs.swap(out);
}

// Where a range of the view lies in the all-window copy: behind the server
// name prefix and, past the insertion point, behind the inserted window name.
struct CopyMap {
    std::uint32_t prefix = 0;
    std::size_t insertAt = npos;  // view offset the window name goes before
    std::uint32_t inserted = 0;
    std::uint32_t Begin(std::uint32_t p) const {
        return prefix + p + (insertAt != npos && p >= insertAt ? inserted : 0);
    }
    std::uint32_t End(std::uint32_t e) const {
        return prefix + e + (insertAt != npos && e > insertAt ? inserted : 0);
    }
};

void WriteWithCodes(std::string_view text, FontKind category, StyledLine& view) {
    bool ctcp = false, bold = false, underline = false, italic = false;
    for (std::size_t i = 0; i < text.size();) {
        switch (text[i]) {
            case '\x01':
                ctcp = !ctcp;
                ++i;
                continue;
            case '\x02':
                bold = !bold;
                ++i;
                continue;
            case '\x1F':
                underline = !underline;
                ++i;
                continue;
            case '\x16':
                italic = !italic;
                ++i;
                continue;
            default:
                break;
        }
        const std::size_t len = CharLen(text, i);
        RunStyle style;
        style.base = ctcp ? FontKind::CTCP : category;
        style.bold = bold;
        style.underline = underline;
        style.italic = italic;
        const auto begin = static_cast<std::uint32_t>(view.text.size());
        view.text.append(text.substr(i, len));
        AppendRun(view.runs, begin, static_cast<std::uint32_t>(view.text.size()), style);
        i += len;
    }
}

// Where keywords are looked for: past the first ">" and the blank after it,
// so the nick in "<nick> text" is never marked; without ">" from the second
// character. n (the size) when there is no body.
std::size_t BodyStart(std::string_view all) {
    const std::size_t n = all.size();
    if (n == 0) return 0;
    std::size_t bodyStart;
    const std::size_t gt = all.find('>');
    if (gt != npos) {
        bodyStart = gt + 1;
        if (bodyStart < n) bodyStart += CharLen(all, bodyStart);
    } else {
        bodyStart = CharLen(all, 0);
    }
    return std::min(bodyStart, n);
}

// Characters a nick may hold besides letters and digits; a nick inside a
// longer run of them ("velmo" in "velmos") is someone else's.
bool IsNickByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           (c != 0 && std::strchr("[]\\`_^{|}-", c) != nullptr);
}

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

void MarkOwnNick(std::string_view nick, const CopyMap& map, bool copying, FormattedLine& out) {
    const std::string_view all = out.view.text;
    const std::size_t n = all.size();
    bool afterNickByte = false;
    for (std::size_t i = BodyStart(all); i < n;) {
        const std::size_t len = CharLen(all, i);
        bool hit = !afterNickByte && n - i >= nick.size();
        for (std::size_t k = 0; hit && k < nick.size(); ++k)
            hit = FoldAscii(all[i + k]) == FoldAscii(nick[k]);
        const std::size_t e = i + nick.size();
        // The match must end on a character boundary that is no nick character.
        if (hit && e < n) hit = CharLen(all, e) == 1 && !IsNickByte(static_cast<unsigned char>(all[e]));
        if (!hit) {
            afterNickByte = len == 1 && IsNickByte(static_cast<unsigned char>(all[i]));
            i += len;
            continue;
        }
        const auto b = static_cast<std::uint32_t>(i);
        ApplyOverlay(out.view.runs, b, static_cast<std::uint32_t>(e), Overlay::Keyword);
        if (copying)
            ApplyOverlay(out.copy.runs, map.Begin(b), map.End(static_cast<std::uint32_t>(e)),
                         Overlay::Keyword);
        ++out.keywordHits;
        ++out.nickHits;
        afterNickByte = true;
        i = e;
    }
}

void MarkKeywords(const std::vector<std::string>& keywords, const CopyMap& map, bool copying,
                  FormattedLine& out) {
    const std::string_view all = out.view.text;
    const std::size_t n = all.size();
    const std::size_t bodyStart = BodyStart(all);
    if (bodyStart >= n) return;
    const std::string_view body = all.substr(bodyStart);
    for (const std::string& keyword : keywords) {
        // An empty keyword would match everywhere and beep without end.
        if (keyword.empty() || body.find(keyword) == npos) continue;
        for (std::size_t i = bodyStart; i < n;) {
            if (all.compare(i, keyword.size(), keyword) == 0) {
                const auto b = static_cast<std::uint32_t>(i);
                const auto e = static_cast<std::uint32_t>(i + keyword.size());
                ApplyOverlay(out.view.runs, b, e, Overlay::Keyword);
                if (copying) ApplyOverlay(out.copy.runs, map.Begin(b), map.End(e), Overlay::Keyword);
                ++out.keywordHits;
                i = e;
                if (i < n) i += CharLen(all, i);
            } else {
                i += CharLen(all, i);
            }
        }
    }
}

}  // namespace

int StyleIndex(const RunStyle& style) {
    switch (style.overlay) {
        case Overlay::URL:
            return session::FontKindCount * 8;
        case Overlay::Keyword:
            return session::FontKindCount * 8 + 1;
        case Overlay::None:
            break;
    }
    return static_cast<int>(style.base) * 8 + (style.bold ? 1 : 0) + (style.underline ? 2 : 0) +
           (style.italic ? 4 : 0);
}

RunStyle StyleFromIndex(int index) {
    RunStyle style;
    if (index == session::FontKindCount * 8) {
        style.overlay = Overlay::URL;
    } else if (index == session::FontKindCount * 8 + 1) {
        style.overlay = Overlay::Keyword;
    } else if (index >= 0 && index < session::FontKindCount * 8) {
        style.base = static_cast<FontKind>(index / 8);
        style.bold = (index & 1) != 0;
        style.underline = (index & 2) != 0;
        style.italic = (index & 4) != 0;
    }
    return style;
}

void FormatLine(const LineInput& input, FormattedLine& out) {
    out.view.clear();
    out.copy.clear();
    out.keywordHits = 0;
    out.nickHits = 0;

    RunStyle plain;
    plain.base = input.font;
    const std::string_view text = input.text;
    const bool hasCodes = input.controlCodes && HasAttributeCodes(text);

    CopyMap map;
    std::string& view = out.view.text;
    view.reserve(input.stamp.size() + text.size());
    view.append(input.stamp);
    if (!hasCodes) {
        view.append(text);
        AppendRun(out.view.runs, 0, static_cast<std::uint32_t>(view.size()), plain);
        if (input.copyToAll && !input.windowName.empty()) {
            const std::size_t lt = text.find('<');
            if (lt != npos) {
                map.insertAt = input.stamp.size() + lt + 1;
                map.inserted = static_cast<std::uint32_t>(input.windowName.size() + 1);
            }
        }
    } else {
        AppendRun(out.view.runs, 0, static_cast<std::uint32_t>(view.size()), plain);
        WriteWithCodes(text, input.font, out.view);
    }

    if (input.copyToAll) {
        std::string& copy = out.copy.text;
        map.prefix = static_cast<std::uint32_t>(input.serverName.size() + 1);
        copy.reserve(map.prefix + view.size() + map.inserted);
        copy.append(input.serverName);
        copy.push_back(' ');
        if (map.insertAt != npos) {
            copy.append(view, 0, map.insertAt);
            copy.append(input.windowName);
            copy.push_back(':');
            copy.append(view, map.insertAt, npos);
        } else {
            copy.append(view);
        }
        AppendRun(out.copy.runs, 0, map.prefix, plain);
        for (const Run& r : out.view.runs)
            AppendRun(out.copy.runs, map.Begin(r.begin), map.End(r.end), r.style);
    }

    ScanUrls(view, [&](std::uint32_t b, std::uint32_t e) {
        ApplyOverlay(out.view.runs, b, e, Overlay::URL);
        if (input.copyToAll) ApplyOverlay(out.copy.runs, map.Begin(b), map.End(e), Overlay::URL);
    });

    if (input.markKeywords && input.keywords != nullptr && !input.keywords->empty())
        MarkKeywords(*input.keywords, map, input.copyToAll, out);
    if (input.markKeywords && !input.ownNick.empty()) MarkOwnNick(input.ownNick, map, input.copyToAll, out);
}

FormattedLine FormatLine(const LineInput& input) {
    FormattedLine out;
    FormatLine(input, out);
    return out;
}

bool CopyToAllWindow(int targetWindow, int shownWindow, const std::string& targetName,
                     const std::string& shownName) {
    if (targetWindow == -1 || shownWindow == -1) return targetWindow != shownWindow;
    return targetName != shownName;
}

std::string TimeStamp(const std::tm& time) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d ", time.tm_hour % 100, time.tm_min % 100);
    return buffer;
}

std::optional<session::BeepKind> KeywordBeep(int beepSetting) {
    if (beepSetting == 0) return session::BeepKind::Default;
    if (beepSetting == 48) return session::BeepKind::Warning;
    return std::nullopt;
}

std::optional<std::pair<std::size_t, std::size_t>> UrlAtCaret(std::u16string_view line, std::size_t caret) {
    auto urlChar = [&](std::size_t i) { return line[i] >= 0x21 && line[i] <= 0x7E; };
    auto prefixAt = [&](std::size_t i) -> std::size_t {
        for (std::string_view p : kUrlPrefixes) {
            if (line.size() - i < p.size()) continue;
            std::size_t k = 0;
            for (; k < p.size(); ++k) {
                char16_t c = line[i + k];
                if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - (u'a' - u'A'));
                if (c != static_cast<char16_t>(p[k])) break;
            }
            if (k == p.size()) return p.size();
        }
        return 0;
    };
    if (caret >= line.size() || !urlChar(caret)) return std::nullopt;
    // From the clicked character itself, so a click on the first letter of
    // the prefix counts and one past the end of a URL does not reach back.
    std::size_t start = caret;
    std::size_t prefix = prefixAt(start);
    while (prefix == 0) {
        if (start == 0 || !urlChar(start - 1)) return std::nullopt;
        prefix = prefixAt(--start);
    }
    std::size_t end = start + prefix;
    while (end < line.size() && urlChar(end)) ++end;
    if (end == start + prefix) return std::nullopt;
    return std::make_pair(start, end);
}

}  // namespace velmok::ui
