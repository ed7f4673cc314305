#include <gtest/gtest.h>

#include "base/Common.h"

namespace velmok::base {

TEST(NickCheck, FirstFailingRuleWins) {
    EXPECT_EQ(NickCheck("Anonymous"), 21);
    EXPECT_EQ(NickCheck("ANONYMOUS"), 21);
    EXPECT_EQ(NickCheck("anonymous_"), 0);
    EXPECT_EQ(NickCheck("9lives"), 22);
    EXPECT_EQ(NickCheck("-x"), 22);
    EXPECT_EQ(NickCheck("1 a"), 22);  // the leading digit is seen before the blank
    EXPECT_EQ(NickCheck("a.b"), 23);
    EXPECT_EQ(NickCheck("a b"), 23);
    EXPECT_EQ(NickCheck("[Guest]_"), 0);
    EXPECT_EQ(NickCheck("x-9\\^`{|}"), 0);
    EXPECT_EQ(NickCheck("a\x82\xa0"), 23);  // double-byte characters are not allowed
    EXPECT_EQ(NickCheck("\xb1"), 23);       // nor half-width katakana
    EXPECT_EQ(NickCheck(std::string(200, 'n')), 0);
    EXPECT_EQ(NickCheck(""), 13);
}

TEST(ChannelCheck, FirstForbiddenCharacterDecides) {
    EXPECT_EQ(ChannelCheck("#a b"), 24);
    EXPECT_EQ(ChannelCheck("#a,#b"), 25);
    EXPECT_EQ(ChannelCheck("#a\x07 b"), 26);
    EXPECT_EQ(ChannelCheck("#a ,\x07"), 24);
    EXPECT_EQ(ChannelCheck("#a, "), 25);
    EXPECT_EQ(ChannelCheck("#\x82\xa0"), 0);
    EXPECT_EQ(ChannelCheck("noHash"), 0);
    EXPECT_EQ(ChannelCheck(""), 0);
}

TEST(WindowsVersionName, KnownVersions) {
    EXPECT_EQ(WindowsVersionName(PlatformFamily::Windows9x, 4, 0), "Windows 95");
    EXPECT_EQ(WindowsVersionName(PlatformFamily::Windows9x, 4, 10), "Windows 98");
    EXPECT_EQ(WindowsVersionName(PlatformFamily::Windows9x, 4, 90), "Windows Me");
    EXPECT_EQ(WindowsVersionName(PlatformFamily::WindowsNT, 4, 0), "Windows NT4.0");
    EXPECT_EQ(WindowsVersionName(PlatformFamily::WindowsNT, 4, 51), "Windows NT4.51");
    EXPECT_EQ(WindowsVersionName(PlatformFamily::WindowsNT, 5, 0), "Windows 2000");
    EXPECT_EQ(WindowsVersionName(PlatformFamily::WindowsNT, 5, 1), "Windows XP");
}

TEST(WindowsVersionName, UnknownCombinationsAreEmpty) {
    EXPECT_EQ(WindowsVersionName(PlatformFamily::Windows9x, 4, 1), "");
    EXPECT_EQ(WindowsVersionName(PlatformFamily::Windows9x, 5, 0), "");
    EXPECT_EQ(WindowsVersionName(PlatformFamily::WindowsNT, 5, 2), "");
    EXPECT_EQ(WindowsVersionName(PlatformFamily::WindowsNT, 6, 1), "");
    EXPECT_EQ(WindowsVersionName(PlatformFamily::Other, 4, 0), "");
    EXPECT_EQ(WindowsVersionName(), "");
}

TEST(UnsignedToDecimal, DigitsWithoutLeadingZeros) {
    EXPECT_EQ(UnsignedToDecimal(3232235777u), "3232235777");
    EXPECT_EQ(UnsignedToDecimal(0), "");
    EXPECT_EQ(UnsignedToDecimal(7), "7");
    EXPECT_EQ(UnsignedToDecimal(1000000000u), "1000000000");
    EXPECT_EQ(UnsignedToDecimal(4294967295u), "4294967295");
}

TEST(HasDoubleByte, LeadBytesDecide) {
    EXPECT_FALSE(HasDoubleByte(""));
    EXPECT_FALSE(HasDoubleByte("irc.example.net"));
    EXPECT_FALSE(HasDoubleByte("\xb1\xb2\xdf"));  // half-width katakana
    EXPECT_FALSE(HasDoubleByte("\x80\xa0\xfd\xfe\xff"));
    EXPECT_TRUE(HasDoubleByte("#\x82\xa0"));   // あ
    EXPECT_TRUE(HasDoubleByte("ab\xe0\x40"));  // lead byte from the upper range
    EXPECT_TRUE(HasDoubleByte("\xb1\x81"));    // a lead byte cut off at the end
}

}  // namespace velmok::base
