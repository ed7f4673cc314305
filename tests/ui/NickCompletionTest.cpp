#include <gtest/gtest.h>

#include "ui/NickCompletion.h"

namespace velmok::ui {

TEST(NickCompletion, CompletesCyclesBothWaysAndStartsOverAfterOtherInput) {
    const std::vector<std::string> members = {"@Alice", "+alfred", "al", "bob", "@Bob2"};
    NickCompletion c;
    // At the start of the line: the nick and ": ", matches in name order, marks gone.
    EXPECT_EQ(c.Complete("AL", members, false), "al: ");
    EXPECT_EQ(c.Complete("al: ", members, false), "alfred: ");
    EXPECT_EQ(c.Complete("alfred: ", members, false), "Alice: ");
    EXPECT_EQ(c.Complete("Alice: ", members, false), "al: ");  // round again
    EXPECT_EQ(c.Complete("al: ", members, true), "Alice: ");   // Shift+Tab goes back

    // Any other key ends the cycle: the word before the caret is taken afresh.
    c.Reset();
    EXPECT_EQ(c.Complete("Alice: hi bo", members, false), "Alice: hi bob");
    EXPECT_EQ(c.Complete("Alice: hi bob", members, false), "Alice: hi Bob2");
    // Text that no longer is the last completion starts a new one too.
    EXPECT_EQ(c.Complete("thanks b", members, true), "thanks Bob2");

    EXPECT_EQ(c.Complete("nobody here x", members, false), std::nullopt);
    EXPECT_EQ(c.Complete("trailing ", members, false), std::nullopt);
    EXPECT_EQ(c.Complete("", members, false), std::nullopt);
    EXPECT_EQ(c.Complete("al", {}, false), std::nullopt);
    // Shift-JIS text before the word stays byte for byte.
    EXPECT_EQ(c.Complete("\x82\xa0 ali", members, false), "\x82\xa0 Alice");
}

}  // namespace velmok::ui
