#include <gtest/gtest.h>

#include "ui/Attention.h"

namespace velmok::ui {
namespace {

TEST(Attention, OnlyLinesThatCallTheUserInTheBackgroundNotifyAndSayWhere) {
    AttentionLine line{false,
                       1,
                       false,
                       "srv",
                       "#a",
                       "<bob> velmo: \x02look\x02 \x03"
                       "4,12red\x03 \x83\x41"};
    EXPECT_EQ(NotificationFor(line)->body, "<bob> velmo: look red \x83\x41") << "without control codes";
    line.windowActive = true;
    EXPECT_FALSE(NotificationFor(line)) << "the user is looking";
    // A private message; cut when long, never inside a double-byte character.
    const std::string longText = std::string(kNotificationBodyLimit - 1, 'x') + "\x82\xa0tail";
    line = {false, 0, true, "srv", "", longText};
    EXPECT_EQ(NotificationFor(line)->title, "srv");
    EXPECT_EQ(NotificationFor(line)->body, std::string(kNotificationBodyLimit - 1, 'x') + "...");
}

}  // namespace
}  // namespace velmok::ui
