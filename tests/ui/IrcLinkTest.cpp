// irc:// and ircs:// links: servers, ports, channels with and without "#",
// keys, escapes and Japanese channel names.
#include <gtest/gtest.h>

#include "session/IconvConvert.h"
#include "ui/IrcLink.h"

namespace velmok::ui {
namespace {

using session::IconvConvert;
using session::Utf8ToSjis;

bool IconvToSjis(const std::string& utf8, std::string& sjis) {
    const auto converted = IconvConvert("CP932", "UTF-8", utf8);
    if (converted) sjis = *converted;
    return converted.has_value();
}

IrcLink Parsed(const std::string& text) {
    IrcLink link;
    EXPECT_EQ(ParseIrcLink(text, IconvToSjis, link), 0) << text;
    return link;
}

int Refusal(const std::string& text) {
    IrcLink link;
    return ParseIrcLink(text, IconvToSjis, link);
}

TEST(IrcLink, ServersPortsChannelsAndKeys) {
    IrcLink link = Parsed("irc://irc.example.net");
    EXPECT_EQ(link.Host, "irc.example.net");
    EXPECT_EQ(link.Port, 6667);
    EXPECT_FALSE(link.Tls);
    EXPECT_EQ(link.Channel, "");

    link = Parsed("irc://irc.example.net:6668/velmok");
    EXPECT_EQ(link.Port, 6668);
    EXPECT_EQ(link.Channel, "#velmok") << "a name without a channel prefix gets '#'";

    link = Parsed("IRC://me@[::1]:7000/#c,secret");
    EXPECT_EQ(link.Host, "::1");
    EXPECT_EQ(link.Port, 7000);
    EXPECT_EQ(link.Channel, "#c");
    EXPECT_EQ(link.Key, "secret");

    link = Parsed("ircs://h/%23c");
    EXPECT_TRUE(link.Tls);
    EXPECT_EQ(link.Port, 6697);
    EXPECT_EQ(link.Channel, "#c");

    EXPECT_EQ(Parsed("irc://h/&local").Channel, "&local");
    EXPECT_EQ(Parsed("irc://h/!12345chan").Channel, "!12345chan");
    EXPECT_EQ(Parsed("irc://h/").Channel, "");
    EXPECT_EQ(Parsed("irc://h?x=1").Channel, "");
    EXPECT_EQ(Parsed("irc://h:/#c?key=x").Channel, "#c");
    EXPECT_EQ(Parsed("irc://h:/#c?key=x").Port, 6667);
    // Flags of the older drafts are no keys; a nick link only connects.
    EXPECT_EQ(Parsed("irc://h/c,needkey").Key, "");
    EXPECT_EQ(Parsed("irc://h/c,needkey,k1").Key, "k1");
    EXPECT_EQ(Parsed("irc://h/someone,isnick").Channel, "");
}

TEST(IrcLink, JapaneseChannelNamesInEveryFormALinkMayCarry) {
    const std::string test = "\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88";  // テスト
    const std::string sjis = "#" + Utf8ToSjis(test);
    EXPECT_EQ(Parsed("irc://h/%E3%83%86%E3%82%B9%E3%83%88").Channel, sjis);
    EXPECT_EQ(Parsed("irc://h/%e3%83%86%e3%82%b9%e3%83%88").Channel, sjis);
    EXPECT_EQ(Parsed("irc://h/#" + test).Channel, sjis);
    EXPECT_EQ(Parsed("irc://h/%23" + test + ",%E3%83%86").Key, Utf8ToSjis("\xe3\x83\x86"));
    // ISO-2022-JP as a server would send the name, and Shift-JIS bytes as they are.
    EXPECT_EQ(Parsed("irc://h/%1B%24B%25F%259%25H%1B%28B").Channel, sjis);
    EXPECT_EQ(Parsed("irc://h/%83e%83X%83g").Channel, sjis);
    // A character Shift-JIS cannot hold cannot be sent.
    EXPECT_EQ(Refusal("irc://h/%F0%9F%98%80"), kLinkMalformed);
}

TEST(IrcLink, RefusalsNameWhatIsWrong) {
    EXPECT_EQ(Refusal("http://h/#c"), kLinkMalformed);
    EXPECT_EQ(Refusal("irc:/h"), kLinkMalformed);
    EXPECT_EQ(Refusal("irc://"), 6);
    EXPECT_EQ(Refusal("irc://:6667/#c"), 6);
    EXPECT_EQ(Refusal("irc://h%20x"), 14);
    EXPECT_EQ(Refusal("irc://\xe3\x83\x86"), 15);
    for (const char* port : {"irc://h:0", "irc://h:65536", "irc://h:123456", "irc://h:6x", "irc://h:-1"})
        EXPECT_EQ(Refusal(port), 16) << port;
    EXPECT_EQ(Refusal("irc://[::1/#c"), kLinkMalformed);
    EXPECT_EQ(Refusal("irc://h/%ZZ"), kLinkMalformed);
    EXPECT_EQ(Refusal("irc://h/%4"), kLinkMalformed);
    // An escaped line break would end the JOIN line and start another command.
    EXPECT_EQ(Refusal("irc://h/#c%0D%0AQUIT"), kLinkMalformed);
    EXPECT_EQ(Refusal("irc://h/#c,k%0Ax"), kLinkMalformed);
    EXPECT_EQ(Refusal("irc://h/#a%20b"), 24);
    EXPECT_EQ(Refusal("irc://h/#a%2Cb"), 25);
    EXPECT_EQ(Refusal("irc://h/#a%07"), 26);
    EXPECT_EQ(Refusal("irc://h/#c,k%20y"), 27);
}

TEST(IrcLink, ProfileTakesTheIdentityAndJoinsTheLinksChannel) {
    const config::ConnectionProfile identity{"other.net", "6669", "pw",   "velmo",
                                             "velmo_",    "vu",   "Real", "1 #x  "};
    IrcLink link = Parsed("irc://irc.example.net:7000/#c,k");
    const config::ConnectionProfile profile = LinkProfile(link, identity);
    EXPECT_EQ(profile, (config::ConnectionProfile{"irc.example.net", "7000", "", "velmo", "velmo_", "vu",
                                                  "Real", "1 #c k "}));
    EXPECT_EQ(config::AutoJoinCheck(profile.AutoJoin), 1);
    EXPECT_EQ(LinkProfile(Parsed("irc://h"), identity).AutoJoin, "");
}

}  // namespace
}  // namespace velmok::ui
