#include <gtest/gtest.h>

#include "config/Settings.h"

namespace velmok::config {

TEST(SettingsDefaults, FontsFollowTheirCategory) {
    Settings s;
    EXPECT_EQ(s.Font(base::FontKind::Notice).Color, 65280);
    EXPECT_TRUE(s.Font(base::FontKind::Notice).Bold);
    EXPECT_TRUE(s.Font(base::FontKind::URL).Underline);
    EXPECT_EQ(s.Font(base::FontKind::Private).Name, "\x82l\x82r \x82o\x83S\x83V\x83\x62\x83N");
}

}  // namespace velmok::config
