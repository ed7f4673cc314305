// Offer lines, offer parsing, the port search, acknowledgement assembly, chat
// framing and save names: the byte-level pieces of DCC.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dcc/Offer.h"
#include "dcc/SaveName.h"
#include "dcc/Wire.h"
#include "support/FakeSocket.h"

namespace velmok::dcc {
namespace {

using Lines = std::vector<std::string>;

TEST(DccOfferTest, OfferLinesAreExactBytes) {
    const auto address = session::AddressNumber("192.168.1.10");
    ASSERT_TRUE(address);
    EXPECT_EQ(*address, 3232235786u);
    EXPECT_EQ(session::ChatOfferLine("bob", *address, 10000),
              "PRIVMSG bob :\x01"
              "DCC CHAT chat 3232235786 10000\x01\r\n");
    // The name goes out as it is: already ISO-2022-JP, blanks unquoted.
    EXPECT_EQ(session::SendOfferLine("bob", "\x1b$B%F%9%H\x1b(B.txt", 2130706433u, 10003, 3000),
              "PRIVMSG bob :\x01"
              "DCC SEND \x1b$B%F%9%H\x1b(B.txt 2130706433 10003 3000\x01\r\n");
    EXPECT_EQ(session::SendOfferLine("bob", "a b", 1, 10000, 4294967295u),
              "PRIVMSG bob :\x01"
              "DCC SEND a b 1 10000 4294967295\x01\r\n");

    EXPECT_EQ(session::AddressNumber("255.255.255.255"), 4294967295u);
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.x", "::1", "1..2.3", "0001.2.3.4"})
        EXPECT_FALSE(session::AddressNumber(bad)) << bad;
    EXPECT_EQ(session::DottedAddress(3232235777u), "192.168.1.1");
}

TEST(DccOfferTest, ListeningMovesPastTakenPortsUpToAHundredMore) {
    session::FakeServerSocket server;
    server.takenPorts = {10000, 10001, 10002};
    int port = 0;
    EXPECT_EQ(ListenOnFreePort(server, port), 0);
    EXPECT_EQ(port, 10003);
    EXPECT_EQ(server.triedPorts, (std::vector<int>{10000, 10001, 10002, 10003}));

    session::FakeServerSocket full;
    for (int p = 10000; p <= 10100; ++p) full.takenPorts.insert(p);
    EXPECT_EQ(ListenOnFreePort(full, port), 10048);
    EXPECT_EQ(full.triedPorts.size(), 101u);
    EXPECT_EQ(full.triedPorts.back(), 10100);

    // Another failure ends the search at once.
    session::FakeServerSocket denied;
    denied.openResult = 10013;
    EXPECT_EQ(ListenOnFreePort(denied, port), 10013);
    EXPECT_EQ(denied.triedPorts.size(), 1u);
}

TEST(DccWireTest, AcknowledgementsAreAssembledAcrossAndWithinReads) {
    const auto ack = EncodeAck(3000);
    EXPECT_EQ(std::string(ack.data(), 4), std::string("\x00\x00\x0b\xb8", 4));
    EXPECT_EQ(std::string(EncodeAck(4294967295u).data(), 4), "\xff\xff\xff\xff");

    AckAssembler acks;
    EXPECT_FALSE(acks.Feed(std::string("\x00\x00", 2)));  // half a total
    EXPECT_EQ(acks.Feed(std::string("\x04\x00\x00", 3)), 1024u);
    // The rest of the next total and two more: the latest complete one counts.
    EXPECT_EQ(acks.Feed(std::string("\x00\x08\x00\x00\x00\x0b\xb8\x00\x00\x0c", 10)), 3000u);
    EXPECT_EQ(acks.Feed(std::string("\x00", 1)), 3072u);
    EXPECT_EQ(acks.Feed(std::string("\xff\xff\xff\xff", 4)), 4294967295u);
    EXPECT_FALSE(acks.Feed(""));
}

TEST(DccWireTest, ChatLinesEndAtLineFeedsAndSurviveAnySplit) {
    ChatFramer framer;
    EXPECT_EQ(framer.Feed("abc\r\ndef"), Lines{"abc"});
    EXPECT_EQ(framer.Feed("\r\n"), Lines{"def"});
    EXPECT_EQ(framer.Feed("\r\n\r\n"), Lines{});
    EXPECT_EQ(framer.Feed("a\nb\r\nc\rd\n"), (Lines{"a", "b", "c\rd"}));

    // "日本語のテスト" split inside the escape sequence and inside a character.
    const std::string wire = "\x1b$BF|K\\8l$N%F%9%H\x1b(B\r\n";
    const std::string sjis = "\x93\xfa\x96{\x8c\xea\x82\xcc\x83\x65\x83X\x83g";
    for (std::size_t cut = 1; cut < wire.size(); ++cut) {
        ChatFramer split;
        Lines got = split.Feed(wire.substr(0, cut));
        const Lines rest = split.Feed(wire.substr(cut));
        got.insert(got.end(), rest.begin(), rest.end());
        EXPECT_EQ(got, Lines{sjis}) << "cut at " << cut;
    }

    // A sender that stays in double-byte mode over a line end: the mode runs
    // on into the next line, and an LF ends the line in either mode, however
    // the reads fall.
    const std::string shifted = "\x1b$BF|\nK\\\x1b(B!\r\n";
    for (std::size_t cut = 0; cut <= shifted.size(); ++cut) {
        ChatFramer split;
        Lines got = split.Feed(shifted.substr(0, cut));
        const Lines rest = split.Feed(shifted.substr(cut));
        got.insert(got.end(), rest.begin(), rest.end());
        EXPECT_EQ(got, (Lines{"\x93\xfa", "\x96{!"})) << "cut at " << cut;  // 日, 本!
    }
    // A peer that writes UTF-8 is read as UTF-8.
    EXPECT_EQ(framer.Feed("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\r\n"), Lines{"\x93\xfa\x96{\x8c\xea"});
}

TEST(DccWireTest, AnUnfinishedChatLineIsShownAtTheBoundOrWhenThePeerGoes) {
    ChatFramer framer;
    EXPECT_EQ(framer.Feed("no end yet"), Lines{});
    EXPECT_EQ(framer.Pending(), 10u);
    EXPECT_EQ(framer.Finish(), Lines{"no end yet"});
    EXPECT_EQ(framer.Finish(), Lines{});

    const std::string flood(ChatFramer::MaxTail, 'x');
    EXPECT_EQ(framer.Feed(flood), Lines{});
    const Lines shown = framer.Feed("y");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].size(), ChatFramer::MaxTail + 1);
    EXPECT_EQ(framer.Pending(), 0u);
}

TEST(DccSaveNameTest, KeepsOnlyAHarmlessBaseName) {
    EXPECT_EQ(SafeSaveName("report.txt"), "report.txt");
    EXPECT_EQ(SafeSaveName("../../etc/passwd"), "passwd");
    EXPECT_EQ(SafeSaveName("C:\\Windows\\system.ini"), "system.ini");
    EXPECT_EQ(SafeSaveName("/abs/path/x"), "x");
    EXPECT_EQ(SafeSaveName(".bashrc"), "bashrc");
    EXPECT_EQ(SafeSaveName("a..b...c"), "a.b.c");
    EXPECT_EQ(SafeSaveName("bad\x01name\r\n\x7f.txt"), "badname.txt");
    for (const char* empty : {"", "..", "dir/", "..\\..\\", "\x01\x02", "..."})
        EXPECT_EQ(SafeSaveName(empty), NeutralSaveName) << empty;
    // "ソフト表.txt": the second bytes of ソ and 表 are "\" and stay in the name.
    EXPECT_EQ(SafeSaveName("\x83\x5c\x83t\x83g\x95\x5c.txt"), "\x83\x5c\x83t\x83g\x95\x5c.txt");
    EXPECT_EQ(SafeSaveName("dir\\\x83\x5c.txt"), "\x83\x5c.txt");
    EXPECT_EQ(SafeSaveName(std::string(500, 'a')).size(), 160u);
    // Never cut inside a double-byte character.
    std::string kana;
    for (int i = 0; i < 100; ++i) kana += "\x83\x65";
    EXPECT_EQ(SafeSaveName("x" + kana).size(), 159u);
}

}  // namespace
}  // namespace velmok::dcc
