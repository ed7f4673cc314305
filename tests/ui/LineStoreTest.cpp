#include <gtest/gtest.h>

#include <string>

#include "ui/LineStore.h"

namespace velmok::ui {
namespace {

TEST(StoredLine, KeepsTextAndRunsInOneByteWhereTheTextAllowsIt) {
    const std::vector<ViewRun> runs = {{0, 6, 3}, {6, 10, 88}, {16, 4, 255}};
    const StoredLine ascii(std::string_view("12:34 http://x.y/ abc"), runs);
    EXPECT_FALSE(ascii.Wide());
    EXPECT_EQ(ascii.Length(), 21u);
    EXPECT_EQ(ascii.Narrow(), "12:34 http://x.y/ abc");
    ASSERT_EQ(ascii.RunCount(), 3u);
    for (std::size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(ascii.RunAt(i), runs[i]);

    // UTF-16 text below U+0100 is kept narrow; anything above keeps two bytes.
    const StoredLine latin(std::u16string_view(u"caf\u00e9"), {{0, 4, 1}});
    EXPECT_FALSE(latin.Wide());
    EXPECT_EQ(latin.Narrow(), "caf\xe9");
    const StoredLine japanese(std::u16string_view(u"12:34 \u65e5\u672c x"), {{0, 10, 2}});
    EXPECT_TRUE(japanese.Wide());
    EXPECT_EQ(japanese.WideText(), u"12:34 \u65e5\u672c x");
    EXPECT_TRUE(japanese.Narrow().empty());
    EXPECT_EQ(japanese.RunAt(0), (ViewRun{0, 10, 2}));

    const StoredLine empty(std::string_view(), {});
    EXPECT_EQ(empty.Length(), 0u);
    EXPECT_EQ(empty.RunCount(), 0u);
}

TEST(LineStore, DropsTheOldestBeyondItsLimitAndNumbersLinesForEver) {
    LineStore<std::string> store;
    EXPECT_EQ(store.Limit(), 10000u);
    store.SetLimit(3);
    for (int i = 0; i < 5; ++i) {
        const std::size_t dropped = store.Append(StoredLine(std::to_string(i), {}));
        EXPECT_EQ(dropped, i < 3 ? 0u : 1u);
    }
    ASSERT_EQ(store.Size(), 3u);
    EXPECT_EQ(store.First(), 2u);
    EXPECT_EQ(store.At(0).Narrow(), "2");
    EXPECT_EQ(store.At(2).Narrow(), "4");

    EXPECT_EQ(store.SetLimit(1), 2u);
    EXPECT_EQ(store.At(0).Narrow(), "4");
    EXPECT_EQ(store.SetLimit(0), 0u);  // never less than one line
    EXPECT_EQ(store.Limit(), 1u);

    // A cleared store goes on counting, so an old line number never names a new line.
    store.Clear();
    EXPECT_TRUE(store.Empty());
    store.Append(StoredLine(std::string_view("new"), {}));
    EXPECT_EQ(store.First(), 5u);
}

TEST(LineStore, EachLineKeepsTheTableItWasWrittenWithUntilItIsDropped) {
    LineStore<std::string> store;
    store.SetLimit(4);
    auto first = std::make_shared<const std::string>("first");
    std::weak_ptr<const std::string> watch = first;
    store.SetTable(first);
    store.Append(StoredLine(std::string_view("a"), {}));
    store.Append(StoredLine(std::string_view("b"), {}));
    store.SetTable(std::make_shared<const std::string>("second"));
    first.reset();
    store.Append(StoredLine(std::string_view("c"), {}));
    EXPECT_EQ(*store.TableOf(0), "first");
    EXPECT_EQ(*store.TableOf(1), "first");
    EXPECT_EQ(*store.TableOf(2), "second");
    EXPECT_EQ(store.TableCount(), 2u);

    // The first table lives exactly as long as a line written with it.
    for (const char* t : {"d", "e"}) store.Append(StoredLine(std::string_view(t), {}));
    EXPECT_FALSE(watch.expired());
    store.Append(StoredLine(std::string_view("f"), {}));
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(store.TableCount(), 1u);
    EXPECT_EQ(*store.TableOf(0), "second");
}

}  // namespace
}  // namespace velmok::ui
