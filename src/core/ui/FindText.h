#pragma once
// Finding text in the lines of a view, for the find bar: forwards (towards
// the newest line) and backwards, ASCII letters in any case, everything else
// (Japanese among it) exactly as typed.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmok::ui {

// A match: the line by position among the lines kept (0 the oldest), and
// where in it, in UTF-16 code units.
struct FindHit {
    std::size_t line = 0;
    std::size_t offset = 0;
    std::size_t length = 0;
    bool operator==(const FindHit&) const = default;
};

enum class FindStep {
    Typed,     // the text to find changed: stay on the match if it still holds, else the one before
    Next,      // the match after the current one (Enter)
    Previous,  // the match before it (Shift+Enter)
};

// The text of line `index`; it may be built in scratch.
using FindLineText = std::function<std::u16string_view(std::size_t index, std::u16string& scratch)>;

// The match a step leads to from current, wrapping around at either end;
// without a current match, Typed and Previous find the newest, Next the
// oldest. Nothing when the text occurs nowhere (or is empty).
std::optional<FindHit> FindInLines(std::size_t count, const FindLineText& lines, std::u16string_view text,
                                   const std::optional<FindHit>& current, FindStep step);

// Where a match stands among all matches of the text (without overlaps),
// counted from the oldest line: "3 / 7" beside the find bar.
struct FindPlace {
    std::size_t index = 0;  // 1 for the oldest match
    std::size_t total = 0;
    bool operator==(const FindPlace&) const = default;
};
FindPlace PlaceOf(std::size_t count, const FindLineText& lines, std::u16string_view text, const FindHit& hit);

// Where text occurs in line, without overlaps, for marking every match.
std::vector<std::size_t> MatchesInLine(std::u16string_view line, std::u16string_view text);

}  // namespace velmok::ui
