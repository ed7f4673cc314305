#include "ui/FindText.h"

namespace velmok::ui {

namespace {

char16_t Fold(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool MatchesAt(std::u16string_view line, std::size_t at, std::u16string_view text) {
    if (line.size() - at < text.size()) return false;
    for (std::size_t k = 0; k < text.size(); ++k)
        if (Fold(line[at + k]) != Fold(text[k])) return false;
    return true;
}

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The first match at or after from, or kNone.
std::size_t FirstFrom(std::u16string_view line, std::u16string_view text, std::size_t from) {
    for (std::size_t at = from; at + text.size() <= line.size(); ++at)
        if (MatchesAt(line, at, text)) return at;
    return kNone;
}

// The last match starting before end, or kNone.
std::size_t LastBefore(std::u16string_view line, std::u16string_view text, std::size_t end) {
    if (line.size() < text.size()) return kNone;
    for (std::size_t at = std::min(end, line.size() - text.size() + 1); at-- > 0;)
        if (MatchesAt(line, at, text)) return at;
    return kNone;
}

}  // namespace

std::optional<FindHit> FindInLines(std::size_t count, const FindLineText& lines, std::u16string_view text,
                                   const std::optional<FindHit>& current, FindStep step) {
    if (text.empty() || count == 0) return std::nullopt;
    std::u16string scratch;
    const bool forward = step == FindStep::Next;
    const bool have = current && current->line < count;
    // Where the walk starts, and how much of that line counts the first time.
    std::size_t line = have ? current->line : (forward ? 0 : count - 1);
    for (std::size_t visited = 0; visited <= count; ++visited) {
        const std::u16string_view shown = lines(line, scratch);
        std::size_t at = kNone;
        if (visited == 0 && have) {
            if (forward)
                at = FirstFrom(shown, text, current->offset + 1);
            else
                at = LastBefore(shown, text, current->offset + (step == FindStep::Typed ? 1 : 0));
        } else if (visited < count || have) {
            // The line of the current match comes round again last, whole.
            at = forward ? FirstFrom(shown, text, 0) : LastBefore(shown, text, shown.size());
        }
        if (at != kNone) return FindHit{line, at, text.size()};
        line = forward ? (line + 1) % count : (line + count - 1) % count;
    }
    return std::nullopt;
}

FindPlace PlaceOf(std::size_t count, const FindLineText& lines, std::u16string_view text,
                  const FindHit& hit) {
    FindPlace place;
    std::u16string scratch;
    for (std::size_t line = 0; line < count; ++line)
        for (const std::size_t at : MatchesInLine(lines(line, scratch), text)) {
            ++place.total;
            if (line < hit.line || (line == hit.line && at <= hit.offset)) place.index = place.total;
        }
    return place;
}

std::vector<std::size_t> MatchesInLine(std::u16string_view line, std::u16string_view text) {
    std::vector<std::size_t> out;
    if (text.empty()) return out;
    for (std::size_t at = FirstFrom(line, text, 0); at != kNone; at = FirstFrom(line, text, at + text.size()))
        out.push_back(at);
    return out;
}

}  // namespace velmok::ui
