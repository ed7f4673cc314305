#include <gtest/gtest.h>

#include "config/Profiles.h"
#include "config/SelectConnection.h"
#include "session/Engine.h"

namespace velmok::config {

namespace {

const std::string kHiragana = "\x82\xa0";  // "あ", a double-byte character
const std::string kHalfKana = "\xb1";      // "ｱ", half-width katakana

std::vector<std::string> Good() { return {"irc.example.net", "6667", "", "velmok", "", "user", "Real Name"}; }

std::vector<std::string> With(int field, const std::string& value) {
    auto fields = Good();
    fields[field] = value;
    return fields;
}

}  // namespace

TEST(ProfileCheck, AcceptsACompleteProfile) {
    EXPECT_EQ(ProfileCheck(Good()), 0);
    EXPECT_EQ(ProfileCheck(With(FieldHost, "irc" + kHalfKana + ".jp")), 0);
    // Password and real name take anything.
    EXPECT_EQ(ProfileCheck(With(FieldPassword, "pass word " + kHiragana)), 0);
    EXPECT_EQ(ProfileCheck(With(FieldRealName, kHiragana + " x")), 0);
    EXPECT_EQ(ProfileCheck(With(FieldAwayNick, "[Guest]_")), 0);
}

TEST(ProfileCheck, HostRules) {
    EXPECT_EQ(ProfileCheck(With(FieldHost, "")), 6);
    EXPECT_EQ(ProfileCheck(With(FieldHost, "irc .net")), 14);
    EXPECT_EQ(ProfileCheck(With(FieldHost, "irc" + kHiragana)), 15);
    EXPECT_EQ(ProfileCheck(With(FieldHost, "irc\tnet")), 15);
}

TEST(ProfileCheck, PortRules) {
    EXPECT_EQ(ProfileCheck(With(FieldPort, "")), 7);
    EXPECT_EQ(ProfileCheck(With(FieldPort, "abc")), 16);
    EXPECT_EQ(ProfileCheck(With(FieldPort, "66 67")), 16);
    EXPECT_EQ(ProfileCheck(With(FieldPort, "6" + kHiragana)), 16);
    EXPECT_EQ(ProfileCheck(With(FieldPort, "99999999999")), 16);  // beyond a 32-bit integer
    // No range limit beyond "is an integer".
    EXPECT_EQ(ProfileCheck(With(FieldPort, "70000")), 0);
    EXPECT_EQ(ProfileCheck(With(FieldPort, "2147483647")), 0);
    EXPECT_EQ(ProfileCheck(With(FieldPort, "-1")), 0);
    EXPECT_EQ(ProfileCheck(With(FieldPort, "$1A0B")), 0);
}

TEST(ProfileCheck, NickRules) {
    EXPECT_EQ(ProfileCheck(With(FieldNick, "")), 13);
    EXPECT_EQ(ProfileCheck(With(FieldNick, "ve lmok")), 19);
    EXPECT_EQ(ProfileCheck(With(FieldNick, "v" + kHiragana)), 20);
    EXPECT_EQ(ProfileCheck(With(FieldNick, "AnOnYmOuS")), 21);
    EXPECT_EQ(ProfileCheck(With(FieldNick, "9lives")), 22);
    EXPECT_EQ(ProfileCheck(With(FieldNick, "-x")), 22);
    EXPECT_EQ(ProfileCheck(With(FieldNick, "a.b")), 23);
    // Half-width katakana pass the double-byte test but not the nick characters.
    EXPECT_EQ(ProfileCheck(With(FieldNick, "a" + kHalfKana)), 23);
}

TEST(ProfileCheck, AwayNickRulesOnlyWhenGiven) {
    EXPECT_EQ(ProfileCheck(With(FieldAwayNick, "away nick")), 19);
    EXPECT_EQ(ProfileCheck(With(FieldAwayNick, kHiragana)), 20);
    EXPECT_EQ(ProfileCheck(With(FieldAwayNick, "anonymous")), 21);
    EXPECT_EQ(ProfileCheck(With(FieldAwayNick, "1away")), 22);
    EXPECT_EQ(ProfileCheck(With(FieldAwayNick, "a!b")), 23);
}

TEST(ProfileCheck, UserAndRealNameRules) {
    EXPECT_EQ(ProfileCheck(With(FieldUserName, "")), 8);
    EXPECT_EQ(ProfileCheck(With(FieldUserName, "us er")), 17);
    EXPECT_EQ(ProfileCheck(With(FieldUserName, kHiragana)), 18);
    EXPECT_EQ(ProfileCheck(With(FieldRealName, "")), 9);
}

TEST(ProfileCheck, FirstFailingRuleWins) {
    // Everything wrong: the host speaks first.
    EXPECT_EQ(ProfileCheck({"", "", "", "", "a b", "", ""}), 6);
    EXPECT_EQ(ProfileCheck({"a b" + kHiragana, "", "", "", "", "", ""}), 14);
    EXPECT_EQ(ProfileCheck({"h", "x", "", "", "", "", ""}), 16);
    EXPECT_EQ(ProfileCheck({"h", "1", "", "", "", "", ""}), 13);
    // Blank before double-byte before NickCheck.
    EXPECT_EQ(ProfileCheck(With(FieldNick, "9 " + kHiragana)), 19);
    EXPECT_EQ(ProfileCheck(With(FieldNick, "9" + kHiragana)), 20);
    // The nick is checked before the away nick, the away nick before the user.
    auto fields = With(FieldNick, "9x");
    fields[FieldAwayNick] = "a b";
    EXPECT_EQ(ProfileCheck(fields), 22);
    fields = With(FieldAwayNick, "a b");
    fields[FieldUserName] = "";
    EXPECT_EQ(ProfileCheck(fields), 19);
    fields = With(FieldUserName, "u u");
    fields[FieldRealName] = "";
    EXPECT_EQ(ProfileCheck(fields), 17);
    // Missing fields count as empty.
    EXPECT_EQ(ProfileCheck({}), 6);
    EXPECT_EQ(ProfileCheck({"h", "1", "", "n", ""}), 8);
}

TEST(AutoJoinCheck, AcceptsWellFormedLines) {
    EXPECT_EQ(AutoJoinCheck(""), 1);
    EXPECT_EQ(AutoJoinCheck("1 #a  "), 1);
    EXPECT_EQ(AutoJoinCheck("1 #a  0 #b key "), 1);
    EXPECT_EQ(AutoJoinCheck("0 " + kHiragana + " k "), 1);
}

TEST(AutoJoinCheck, RefusesBrokenLines) {
    EXPECT_EQ(AutoJoinCheck("#a"), 0);      // no blank at all
    EXPECT_EQ(AutoJoinCheck("x #a  "), 0);  // flag is no number
    EXPECT_EQ(AutoJoinCheck(" #a  "), 0);   // empty flag
    EXPECT_EQ(AutoJoinCheck("1  k "), 0);   // empty channel name
    EXPECT_EQ(AutoJoinCheck("1 #a "), 0);   // nothing after the name
    EXPECT_EQ(AutoJoinCheck("1 #a"), 0);    // name without its blank
    EXPECT_EQ(AutoJoinCheck("1 #a  y #b  "), 0);
}

TEST(AutoJoinLine, ReadsFlagsNamesAndKeys) {
    const auto channels = ReadAutoJoin("1 #a  0 #b key 2 #c  ");
    ASSERT_EQ(channels.size(), 3u);
    EXPECT_EQ(channels[0], (AutoJoinChannel{true, "#a", ""}));
    EXPECT_EQ(channels[1], (AutoJoinChannel{false, "#b", "key"}));
    EXPECT_TRUE(channels[2].Ticked);  // any flag but 0 is ticked
    EXPECT_TRUE(ReadAutoJoin("").empty());
}

TEST(AutoJoinLine, BuildsTheFixedLayout) {
    EXPECT_EQ(BuildAutoJoin({{true, "#a", ""}}), "1 #a  ");
    EXPECT_EQ(BuildAutoJoin({{true, "#a", ""}, {false, "#b", "key"}}), "1 #a  0 #b key ");
    EXPECT_EQ(BuildAutoJoin({}), "");
    const std::vector<AutoJoinChannel> channels = {{false, "#x", "k1"}, {true, "&y", ""}};
    EXPECT_EQ(ReadAutoJoin(BuildAutoJoin(channels)), channels);
}

TEST(ProfileText, RoundTrip) {
    const std::string text =
        "irc.a.net\r\n6667\r\npass word\r\nnick\r\n\r\nuser\r\nReal\r\n1 #a  \r\n"
        "irc.b.net\r\n6668\r\n\r\nnick2\r\naway\r\nuser2\r\nReal 2\r\n\r\n";
    const auto profiles = ParseProfileText(text);
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(profiles[0],
              (ConnectionProfile{"irc.a.net", "6667", "pass word", "nick", "", "user", "Real", "1 #a  "}));
    EXPECT_EQ(profiles[1].AwayNick, "away");
    EXPECT_EQ(profiles[1].AutoJoin, "");
    EXPECT_EQ(BuildProfileText(profiles), text);
}

TEST(ProfileText, IncompleteLastProfileIsLeftOut) {
    const std::string one = "h\r\n1\r\n\r\nn\r\n\r\nu\r\nr\r\n\r\n";
    EXPECT_EQ(ParseProfileText(one + "h2\r\n2\r\n\r\nn2\r\n").size(), 1u);
    EXPECT_EQ(ParseProfileText(one + "h2\r\n2\r\n\r\nn2\r\n\r\nu\r\nr\r\nno line end").size(), 1u);
    EXPECT_TRUE(ParseProfileText("").empty());
}

TEST(FillSession, CopiesEveryFieldWithThePortAsNumber) {
    session::ServerSession s;
    s.Away = true;
    FillSession({"irc.a.net", "70000", "pw", "nick", "away", "user", "Real Name", "1 #a  "}, s);
    EXPECT_EQ(s.ServerName, "irc.a.net");
    EXPECT_EQ(s.Port, 70000);
    EXPECT_EQ(s.Password, "pw");
    EXPECT_EQ(s.Nick, "nick");
    EXPECT_EQ(s.AwayNick, "away");
    EXPECT_EQ(s.UserName, "user");
    EXPECT_EQ(s.RealName, "Real Name");
    EXPECT_EQ(s.AutoJoin, "1 #a  ");
}

TEST(SelectConnection, ListsHostAndPortAndChoosesTheFirst) {
    SelectConnection picker(
        "a.net\r\n6667\r\n\r\nn1\r\n\r\nu\r\nr\r\n\r\n"
        "b.net\r\n7000\r\npw\r\nn2\r\n\r\nu\r\nr\r\n0 #b  \r\n");
    EXPECT_EQ(picker.Entries(), (std::vector<std::string>{"a.net:6667", "b.net:7000"}));
    EXPECT_EQ(picker.Chosen(), 0);
    picker.Choose(1);
    session::ServerSession s;
    EXPECT_EQ(picker.Ok(), 0);
    FillSession(*picker.ChosenProfile(), s);
    EXPECT_EQ(s.ServerName, "b.net");
    EXPECT_EQ(s.Port, 7000);
    EXPECT_EQ(s.Password, "pw");
    EXPECT_EQ(s.AutoJoin, "0 #b  ");
}

TEST(SelectConnection, OkWithoutProfilesIsMessageFive) {
    SelectConnection picker("");
    EXPECT_TRUE(picker.Entries().empty());
    EXPECT_EQ(picker.Chosen(), -1);
    EXPECT_EQ(picker.Ok(), 5);
    EXPECT_EQ(picker.ChosenProfile(), nullptr);
}

}  // namespace velmok::config
