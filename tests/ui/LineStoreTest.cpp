#include <gtest/gtest.h>

#include <string>

#include "ui/LineStore.h"

namespace velmok::ui {
namespace {

TEST(StoredLine, KeepsTextAndRunsInOneByteWhereTheTextAllowsIt) {
    const std::vector<ViewRun> runs = {{0, 6, 3}, {6, 10, 88}, {16, 4, 255}};
    const StoredLine ascii(std::string_view("12:34 http://x.y/ abc"), runs);
    EXPECT_FALSE(ascii.Wide());
    EXPECT_EQ(ascii.Narrow(), "12:34 http://x.y/ abc");
    ASSERT_EQ(ascii.RunCount(), 3u);
    for (std::size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(ascii.RunAt(i), runs[i]);

    // UTF-16 text below U+0100 is kept narrow; anything above keeps two bytes.
    EXPECT_EQ(StoredLine(std::u16string_view(u"caf\u00e9"), {}).Narrow(), "caf\xe9");
    const StoredLine japanese(std::u16string_view(u"12:34 \u65e5\u672c x"), {{0, 10, 2}});
    EXPECT_TRUE(japanese.Wide());
    EXPECT_EQ(japanese.WideText(), u"12:34 \u65e5\u672c x");
    EXPECT_EQ(japanese.RunAt(0), (ViewRun{0, 10, 2}));
}

TEST(LineStore, AStyleTableLivesExactlyAsLongAsALineWrittenWithIt) {
    LineStore<std::string> store;
    store.SetLimit(4);
    auto first = std::make_shared<const std::string>("first");
    std::weak_ptr<const std::string> watch = first;
    store.SetTable(first);
    store.Append(StoredLine(std::string_view("a"), {}));
    store.Append(StoredLine(std::string_view("b"), {}));
    store.SetTable(std::make_shared<const std::string>("second"));
    first.reset();
    for (const char* t : {"c", "d", "e"}) store.Append(StoredLine(std::string_view(t), {}));
    EXPECT_EQ(*store.TableOf(0), "first");  // "b"
    EXPECT_EQ(*store.TableOf(1), "second");

    EXPECT_EQ(store.Append(StoredLine(std::string_view("f"), {})), 1u);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(store.TableCount(), 1u);
    EXPECT_EQ(store.First(), 2u);

    // A cleared store goes on counting, so an old line number never names a new line.
    store.Clear();
    store.Append(StoredLine(std::string_view("g"), {}));
    EXPECT_EQ(store.First(), 6u);
}

}  // namespace
}  // namespace velmok::ui
