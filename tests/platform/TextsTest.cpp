#include <gtest/gtest.h>

#include <set>

#include "base/TextCatalog.h"
#include "platform/QtText.h"

namespace velmok::platform {
namespace {

// The build turns the UTF-8 text table into Shift-JIS with the C library's
// converter; the windows show it through Qt's. Both must read every text the
// same way, or a message box would say something other than the table.
TEST(TextsTest, EveryTextRoundTripsThroughTheDisplayConverter) {
    std::set<std::string_view> names;
    for (const texts::CatalogEntry& text : texts::Catalog) {
        SCOPED_TRACE(std::string(text.name));
        EXPECT_TRUE(names.insert(text.name).second);
        ASSERT_FALSE(text.sjis.empty());
        const QString written = QString::fromUtf8(text.utf8.data(), static_cast<qsizetype>(text.utf8.size()));
        EXPECT_EQ(FromSjis(std::string(text.sjis)), written);
        EXPECT_EQ(ToSjis(written), text.sjis);
    }
    // The table holds the program's texts, not a handful of them.
    EXPECT_GE(names.size(), 100u);
    EXPECT_EQ(FromSjis(texts::Error31), QStringLiteral("タブ数が上限に達したため、タブを開けません。"));
}

}  // namespace
}  // namespace velmok::platform
