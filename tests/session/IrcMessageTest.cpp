#include <gtest/gtest.h>

#include "session/IrcMessage.h"

namespace velmok::session {

TEST(NextLine, TakesCompleteLinesAndKeepsTheRest) {
    std::string buffer = "PING :a\r\nPIN";
    EXPECT_EQ(NextLine(buffer), "PING :a");
    EXPECT_EQ(buffer, "PIN");
    EXPECT_EQ(NextLine(buffer), std::nullopt);
    EXPECT_EQ(buffer, "PIN");
    buffer += "G :b\n";
    EXPECT_EQ(NextLine(buffer), "PING :b");
    EXPECT_EQ(buffer, "");
}

TEST(NextLine, LineEndsAndTrailingBlank) {
    std::string buffer = "one\ntwo \r\nthree  \r\nfour\r\r\n";
    EXPECT_EQ(NextLine(buffer), "one");
    EXPECT_EQ(NextLine(buffer), "two");
    EXPECT_EQ(NextLine(buffer), "three ");  // only one blank goes
    EXPECT_EQ(NextLine(buffer), "four\r");  // only the CR just before LF goes
    EXPECT_EQ(NextLine(buffer), std::nullopt);
}

TEST(NextLine, SkipsEmptyLines) {
    std::string buffer = "a\r\n\r\n\n \r\nb\r\n\r\n";
    EXPECT_EQ(NextLine(buffer), "a");
    EXPECT_EQ(NextLine(buffer), "b");
    EXPECT_EQ(NextLine(buffer), std::nullopt);
    EXPECT_EQ(buffer, "");
}

TEST(NextLine, OffsetFormTakesManyLinesInOrder) {
    std::string buffer;
    for (int i = 0; i < 5000; ++i) buffer += "PRIVMSG #c :" + std::to_string(i) + "\r\n";
    buffer += "PART";
    std::size_t pos = 0;
    int count = 0;
    while (auto line = NextLine(buffer, pos)) {
        ASSERT_EQ(*line, "PRIVMSG #c :" + std::to_string(count));
        ++count;
    }
    EXPECT_EQ(count, 5000);
    buffer.erase(0, pos);
    EXPECT_EQ(buffer, "PART");
}

TEST(TrimPendingLine, DropsOnlyAnOverlongUnfinishedLine) {
    std::string exact(MaxPendingLine, 'x');
    EXPECT_FALSE(TrimPendingLine(exact));
    EXPECT_EQ(exact.size(), MaxPendingLine);

    std::string tooLong(MaxPendingLine + 1, 'x');
    EXPECT_TRUE(TrimPendingLine(tooLong));
    EXPECT_EQ(tooLong, "");

    // Complete lines ahead of the overlong tail are still delivered.
    std::string mixed = "PING :a\r\n" + std::string(MaxPendingLine + 1, 'x');
    EXPECT_TRUE(TrimPendingLine(mixed));
    EXPECT_EQ(NextLine(mixed), "PING :a");
    EXPECT_EQ(mixed, "");

    std::string manyLines;
    for (int i = 0; i < 10000; ++i) manyLines += "NOTICE x :0123456789\r\n";
    EXPECT_FALSE(TrimPendingLine(manyLines));
}

TEST(ParseLine, PrivmsgWithFullPrefix) {
    const auto msg = ParseLine(":n!u@h PRIVMSG #c :hello there", "irc.example.net");
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->Nick(), "n");
    EXPECT_EQ(msg->FullPrefix, "n!u@h");
    EXPECT_EQ(msg->Command(), "PRIVMSG");
    EXPECT_EQ((*msg)[2], "#c");
    EXPECT_EQ((*msg)[3], "hello there");
    for (int i = 4; i <= 16; ++i) EXPECT_EQ((*msg)[i], "") << i;
}

TEST(ParseLine, LineWithoutPrefixIsFromTheServer) {
    const auto msg = ParseLine("PING :irc.example.net", "srv.local");
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->Nick(), "srv.local");
    EXPECT_EQ(msg->FullPrefix, "srv.local");
    EXPECT_EQ(msg->Command(), "PING");
    EXPECT_EQ((*msg)[2], "irc.example.net");
}

TEST(ParseLine, FieldRules) {
    auto msg = ParseLine(":srv 005 me a  b", "s");
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->Nick(), "srv");
    EXPECT_EQ(msg->Command(), "005");
    EXPECT_EQ((*msg)[2], "me");
    EXPECT_EQ((*msg)[3], "a");
    EXPECT_EQ((*msg)[4], "");
    EXPECT_EQ((*msg)[5], "b");

    // A trailing parameter keeps its blanks and colons; ":" alone is empty.
    msg = ParseLine(":a!b@c TOPIC #x :: a :b ", "s");
    ASSERT_TRUE(msg);
    EXPECT_EQ((*msg)[3], ": a :b ");
    msg = ParseLine(":srv 331 me #x :", "s");
    ASSERT_TRUE(msg);
    EXPECT_EQ((*msg)[3], "#x");
    EXPECT_EQ((*msg)[4], "");

    // The command is kept as received.
    msg = ParseLine(":x privmsg y", "s");
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->Command(), "privmsg");
}

TEST(ParseLine, OneWordLineIsIgnored) {
    EXPECT_FALSE(ParseLine("PING", "s"));
    EXPECT_FALSE(ParseLine(":prefixonly", "s"));
    EXPECT_FALSE(ParseLine("", "s"));
}

TEST(ParseLine, ParametersBeyondTheFifteenthJoinTheLast) {
    std::string line = ":srv 005 me";
    for (int i = 1; i <= 20; ++i) line += " p" + std::to_string(i);
    line += " :are supported";
    const auto msg = ParseLine(line, "s");
    ASSERT_TRUE(msg);
    EXPECT_EQ((*msg)[2], "me");
    EXPECT_EQ((*msg)[15], "p13");
    EXPECT_EQ((*msg)[16], "p14 p15 p16 p17 p18 p19 p20 :are supported");

    // Exactly fifteen parameters, the last one trailing: nothing special.
    line = "CMD";
    for (int i = 1; i <= 14; ++i) line += " p" + std::to_string(i);
    line += " :last one";
    const auto full = ParseLine(line, "s");
    ASSERT_TRUE(full);
    EXPECT_EQ((*full)[15], "p14");
    EXPECT_EQ((*full)[16], "last one");
}

TEST(IrcMessageTags, TagsComeOffWithTheirEscapesUndoneAndServerTimeReadsAsUtc) {
    const auto msg = ParseLine("@a=1\\:2\\s3\\\\4\\;b;=x;c;+d/e=\\ :n!u@h PRIVMSG #c :hi", "s");
    ASSERT_TRUE(msg);
    using Tags = std::vector<std::pair<std::string, std::string>>;
    // A backslash before the separator ends the value; "b" is a tag of its own.
    EXPECT_EQ(msg->Tags, (Tags{{"a", "1;2 3\\4"}, {"b", ""}, {"c", ""}, {"+d/e", ""}}));
    EXPECT_EQ(msg->Nick(), "n");
    EXPECT_EQ((*msg)[3], "hi");
    EXPECT_FALSE(ParseLine("@only=tags", "s"));

    EXPECT_EQ(ParseServerTime("2024-01-02T03:04:05.678Z"), std::time_t{1704164645});
    EXPECT_EQ(ParseServerTime("2000-02-29T23:59:59Z"), std::time_t{951868799});
    for (const char* bad : {"2024-01-02T03:04:05", "2024-13-02T03:04:05Z", "2024-01-02 03:04:05Z",
                            "1969-12-31T23:59:59Z", "2024-01-02T03:04:05.Zjunk", "x"})
        EXPECT_FALSE(ParseServerTime(bad)) << bad;
}

}  // namespace velmok::session
