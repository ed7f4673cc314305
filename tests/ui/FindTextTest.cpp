#include <gtest/gtest.h>

#include "ui/FindText.h"

namespace velmok::ui {
namespace {

TEST(FindText, StepsBothWaysWrapsAroundAndFoldsOnlyAscii) {
    const std::vector<std::u16string> lines = {u"12:00 <bob> Hello velmo", u"12:01 <ann> nothing here",
                                               u"12:02 <bob> hello HELLO", u"12:03 <ann> ハロー ﾊﾛｰ"};
    const FindLineText text = [&](std::size_t i, std::u16string&) { return std::u16string_view(lines[i]); };
    auto find = [&](std::u16string_view what, std::optional<FindHit> from, FindStep step) {
        return FindInLines(lines.size(), text, what, from, step);
    };

    // Typing finds the newest match; Enter goes on towards the newest and
    // round to the oldest, Shift+Enter the other way.
    auto hit = find(u"hello", std::nullopt, FindStep::Typed);
    ASSERT_TRUE(hit);
    EXPECT_EQ(*hit, (FindHit{2, 18, 5}));
    hit = find(u"hello", hit, FindStep::Next);
    EXPECT_EQ(*hit, (FindHit{0, 12, 5})) << "round to the oldest";
    hit = find(u"hello", hit, FindStep::Next);
    EXPECT_EQ(*hit, (FindHit{2, 12, 5}));
    hit = find(u"hello", hit, FindStep::Previous);
    EXPECT_EQ(*hit, (FindHit{0, 12, 5}));
    hit = find(u"hello", hit, FindStep::Previous);
    EXPECT_EQ(*hit, (FindHit{2, 18, 5})) << "round to the newest";

    // Typing on keeps the match while it still holds.
    EXPECT_EQ(*find(u"hellO", FindHit{0, 12, 4}, FindStep::Typed), (FindHit{0, 12, 5}));
    EXPECT_EQ(*find(u"hello v", FindHit{2, 12, 5}, FindStep::Typed), (FindHit{0, 12, 7}));
    // The only match is found again from itself.
    EXPECT_EQ(*find(u"velmo", FindHit{0, 18, 5}, FindStep::Next), (FindHit{0, 18, 5}));

    // Japanese exactly as typed: the full-width word, not the half-width one.
    EXPECT_EQ(*find(u"ハロー", std::nullopt, FindStep::Next), (FindHit{3, 12, 3}));
    EXPECT_FALSE(find(u"ﾊﾛｰ ", std::nullopt, FindStep::Next));
    EXPECT_FALSE(find(u"", std::nullopt, FindStep::Next));
    EXPECT_FALSE(find(u"absent", FindHit{1, 0, 1}, FindStep::Previous));
    EXPECT_FALSE(FindInLines(0, text, u"x", std::nullopt, FindStep::Typed));

    EXPECT_EQ(MatchesInLine(u"aAaa", u"aa"), (std::vector<std::size_t>{0, 2}));
}

}  // namespace
}  // namespace velmok::ui
