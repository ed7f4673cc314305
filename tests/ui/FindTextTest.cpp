#include <gtest/gtest.h>

#include "ui/FindText.h"

namespace velmok::ui {
namespace {

TEST(FindText, StepsBothWaysRoundTheEndsAndFoldsOnlyAscii) {
    const std::vector<std::u16string> lines = {u"<bob> Hello velmo", u"<ann> nothing", u"<bob> hello HELLO",
                                               u"<ann> ハロー ﾊﾛｰ"};
    auto find = [&](std::u16string_view what, std::optional<FindHit> from, FindStep step) {
        return FindInLines(
            lines.size(), [&](std::size_t i, std::u16string&) { return std::u16string_view(lines[i]); }, what,
            from, step);
    };
    // Typing finds the newest; Enter goes on towards the newest and round to
    // the oldest, Shift+Enter the other way; a longer text keeps its place.
    std::optional<FindHit> hit = find(u"hello", std::nullopt, FindStep::Typed);
    std::vector<FindHit> seen;
    for (FindStep step : {FindStep::Next, FindStep::Next, FindStep::Previous, FindStep::Previous}) {
        seen.push_back(*hit);
        hit = find(u"hello", hit, step);
    }
    seen.push_back(*hit);
    EXPECT_EQ(seen, (std::vector<FindHit>{{2, 12, 5}, {0, 6, 5}, {2, 6, 5}, {0, 6, 5}, {2, 12, 5}}));
    EXPECT_EQ(*find(u"hello v", FindHit{2, 6, 5}, FindStep::Typed), (FindHit{0, 6, 7}));
    EXPECT_EQ(*find(u"velmo", FindHit{0, 12, 5}, FindStep::Next), (FindHit{0, 12, 5})) << "the only one";
    EXPECT_FALSE(find(u"ﾊﾛｰ ", std::nullopt, FindStep::Next)) << "Japanese as typed";
    EXPECT_FALSE(find(u"", std::nullopt, FindStep::Next));
    EXPECT_FALSE(find(u"absent", FindHit{1, 0, 1}, FindStep::Previous));
    const FindLineText text = [&](std::size_t i, std::u16string&) { return std::u16string_view(lines[i]); };
    EXPECT_EQ(PlaceOf(lines.size(), text, u"hello", FindHit{2, 6, 5}), (FindPlace{2, 3}));
    EXPECT_EQ(MatchesInLine(u"aAaa", u"aa"), (std::vector<std::size_t>{0, 2}));
}

}  // namespace
}  // namespace velmok::ui
