#include <gtest/gtest.h>

#include "platform/QtText.h"

namespace velmok::platform {
namespace {

TEST(QtTextTest, DecodesCodePage932WithVendorRows) {
    // Backslash and tilde stay ASCII; the circled digit and small roman
    // numeral come from the NEC and IBM rows that plain Shift_JIS lacks.
    EXPECT_EQ(FromSjis("C:\\logs~"), QStringLiteral("C:\\logs~"));
    EXPECT_EQ(FromSjis("\x87@"), QStringLiteral("①"));
    EXPECT_EQ(FromSjis("\xfa\x40"), QStringLiteral("ⅰ"));
    EXPECT_EQ(FromSjis("\x81`"), QStringLiteral("～"));
    // The second byte of 表 is 0x5C: it must not turn into a backslash.
    EXPECT_EQ(FromSjis("\x95\x5c\x8e\xa6"), QStringLiteral("表示"));
    EXPECT_EQ(FromSjis("\xb1\xb2"), QStringLiteral("ｱｲ"));
}

TEST(QtTextTest, RoundTripsJapaneseText) {
    const std::string sjis =
        "\x83^"
        "\x83u\x90\x94\x82\xaa\x8f\xe3\x8c\xc0\x82\xc9\x92\x42\x82\xb5\x82\xbd\x82\xbd\x82\xdf\x81\x41\x83^"
        "\x83u\x82\xf0\x8aJ\x82\xaf\x82\xdc\x82\xb9\x82\xf1\x81\x42";
    EXPECT_EQ(FromSjis(sjis), QStringLiteral("タブ数が上限に達したため、タブを開けません。"));
    EXPECT_EQ(ToSjis(FromSjis(sjis)), sjis);
    EXPECT_EQ(ToSjis(QStringLiteral("表示①～")), "\x95\x5c\x8e\xa6\x87@\x81`");
    EXPECT_EQ(ToSjis(QString()), "");
}

TEST(QtTextTest, DropsWhatCodePage932CannotHold) {
    EXPECT_EQ(ToSjis(QStringLiteral("a\u00e9b")), "ab");
    EXPECT_EQ(ToSjis(QString::fromUtf8("x\xF0\x9F\x98\x80y")), "xy");  // emoji, a surrogate pair
    EXPECT_EQ(ToSjis(QStringLiteral("한あ")), "\x82\xa0");
    // A lone surrogate is dropped as well, not turned into a substitute.
    QString lone = QStringLiteral("a");
    lone.append(QChar(0xD800));
    lone.append(QLatin1Char('b'));
    EXPECT_EQ(ToSjis(lone), "ab");
}

TEST(QtTextTest, BrokenBytesBecomeReplacementCharacters) {
    const QChar mark(QChar::ReplacementCharacter);
    // A lead byte cut off at the end of the text.
    EXPECT_EQ(FromSjis(std::string("a\x81", 2)), QString("a") + mark);
    // A lead byte followed by a byte that cannot trail it, and unused bytes.
    const QString text = FromSjis("\x81 z\xa0\xfd");
    EXPECT_EQ(text.at(0), mark);
    EXPECT_TRUE(text.contains(QStringLiteral(" z")));
    EXPECT_FALSE(text.contains(QChar(0x1A)));
}

TEST(QtTextTest, EveryAsciiByteIncludingControlsMapsToItself) {
    // IRC formatting codes and the other control bytes must pass unchanged
    // both ways (the converter's own table moves 0x1A, 0x1C and 0x7F).
    std::string ascii;
    for (int c = 1; c < 0x80; ++c) ascii += static_cast<char>(c);
    const QString text = FromSjis(ascii);
    ASSERT_EQ(text.size(), 0x7F);
    for (int c = 1; c < 0x80; ++c) EXPECT_EQ(text.at(c - 1).unicode(), c) << c;
    EXPECT_EQ(ToSjis(text), ascii);
    EXPECT_EQ(ToSjis(FromSjis("\x82\xa0\x1a\x82\xa2\x7f")), "\x82\xa0\x1a\x82\xa2\x7f");
}

}  // namespace
}  // namespace velmok::platform
