// Connections asked for from outside the window: --connect N with its reasons,
// irc:// links, and the request a second start hands to the running one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config/Error.h"
#include "config/SettingsStore.h"
#include "session/Codec.h"
#include "session/SessionFixture.h"
#include "ui/StartRequests.h"

namespace velmok::ui {
namespace {

class StartRequestsTest : public session::SessionFixture {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmok-start-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        sockets.resolvable = {"h1", "h4", "irc.example.net"};
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void WriteConnections(const std::string& bytes) {
        std::ofstream(dir + "/Connections", std::ios::binary) << bytes;
    }

    std::string dir;
};

const std::string kGood1 = "h1\r\n6667\r\n\r\nvelmo\r\n\r\nvu\r\nReal\r\n\r\n";
const std::string kBadNick = "h2\r\n6667\r\n\r\n9bad\r\n\r\nvu\r\nReal\r\n\r\n";
const std::string kBadAutoJoin = "h3\r\n6667\r\n\r\nvelmo\r\n\r\nvu\r\nReal\r\nx \r\n";
const std::string kGood4 = "h4\r\n7000\r\n\r\nother\r\n\r\nvu\r\nReal\r\n1 #a  \r\n";

TEST_F(StartRequestsTest, ConnectNumbersCountTheFileAndSayWhyAProfileCannotConnect) {
    WriteConnections(kGood1 + kBadNick + kBadAutoJoin + kGood4);
    const auto file = config::ReadProfileEntries(dir);
    ASSERT_EQ(file.size(), 4u);
    config::LoadProfiles(dir, settings);
    EXPECT_EQ(settings.ProfileText, kGood1 + kGood4) << "what is loaded is what the file check lets through";

    EXPECT_EQ(ConnectProfileNumber(engine, file, 5), "profile 5: no such profile; Connections holds 4");
    EXPECT_EQ(ConnectProfileNumber(engine, file, 2),
              "profile 2 was dropped when the settings were read: field Nick fails its check: " +
                  config::ErrorText(22));
    EXPECT_EQ(ConnectProfileNumber(engine, file, 3),
              "profile 3 was dropped when the settings were read: field Channel fails its check");
    EXPECT_EQ(sockets.Last(), nullptr) << "nothing was opened for those";

    EXPECT_EQ(ConnectProfileNumber(engine, file, 4), "");
    EXPECT_EQ(engine.Session(0).ServerName, "h4");
    EXPECT_EQ(engine.Session(0).Port, 7000);
    EXPECT_EQ(engine.Session(0).Nick, "other");
    EXPECT_EQ(ConnectProfileNumber(engine, file, 1), "");
    EXPECT_EQ(ConnectProfileNumber(engine, file, 1), "");
    EXPECT_EQ(ConnectProfileNumber(engine, file, 1), "profile 1: all three server slots are busy");
}

TEST_F(StartRequestsTest, ReasonsForEveryCheckedFieldNameTheEditorsLabel) {
    WriteConnections(
        "h\r\n6667\r\n\r\nn\r\nn n\r\nu\r\nr\r\n\r\n"
        "h\r\nport\r\n\r\nn\r\n\r\nu\r\nr\r\n\r\n"
        "h\r\n6667\r\n\r\nn\r\n\r\nu\r\n\r\n\r\n"
        "\r\n6667\r\n\r\nn\r\n\r\nu\r\nr\r\n\r\n");
    const auto file = config::ReadProfileEntries(dir);
    ASSERT_EQ(file.size(), 4u);
    EXPECT_NE(ConnectProfileNumber(engine, file, 1)
                  .find("field Nick(Away) fails its check: " + config::ErrorText(19)),
              std::string::npos);
    EXPECT_NE(
        ConnectProfileNumber(engine, file, 2).find("field Port fails its check: " + config::ErrorText(16)),
        std::string::npos);
    EXPECT_NE(ConnectProfileNumber(engine, file, 3)
                  .find("field Real Name fails its check: " + config::ErrorText(9)),
              std::string::npos);
    EXPECT_NE(
        ConnectProfileNumber(engine, file, 4).find("field Host fails its check: " + config::ErrorText(6)),
        std::string::npos);
    EXPECT_EQ(ConnectProfileNumber(engine, {}, 1), "profile 1: no such profile; Connections holds 0");
}

TEST_F(StartRequestsTest, ALinkConnectsWithTheFirstProfilesIdentityAndJoinsItsChannel) {
    const std::string channel = "#\x83\x65\x83\x58\x83\x67";  // #テスト
    IrcLink link{false, "irc.example.net", 6668, channel, "k"};
    int message = -1;
    EXPECT_EQ(ConnectLink(engine, "", link, message), LinkOutcome::NeedsProfile);

    const std::string profiles = kGood4 + kGood1;
    ASSERT_EQ(ConnectLink(engine, profiles, link, message), LinkOutcome::Connected);
    EXPECT_EQ(message, 0);
    const session::ServerSession& s = engine.Session(0);
    EXPECT_EQ(s.ServerName, "irc.example.net");
    EXPECT_EQ(s.Port, 6668);
    EXPECT_EQ(s.Nick, "other");
    EXPECT_EQ(s.Password, "") << "the profile's password belongs to its own server";

    session::FakeClientSocket* socket = sockets.Last();
    socket->FireConnect();
    socket->TakeSent();
    socket->Deliver(":srv 001 other :Welcome\r\n");
    EXPECT_EQ(engine.Slot(0).SendQueueA, "JOIN " + session::SjisToJis(channel) + " k\r\n2:")
        << "the link's channel only, not the profile's auto-join list";

    EXPECT_FALSE(socket->tls);

    // An ircs:// link connects the next slot with TLS; an irc:// one the last without.
    link.Tls = true;
    ASSERT_EQ(ConnectLink(engine, profiles, link, message), LinkOutcome::Connected);
    EXPECT_TRUE(sockets.Last()->tls);
    EXPECT_TRUE(engine.Session(1).Tls);
    EXPECT_EQ(engine.Session(1).Port, 6668);
    link.Tls = false;
    ASSERT_EQ(ConnectLink(engine, profiles, link, message), LinkOutcome::Connected);
    EXPECT_FALSE(sockets.Last()->tls);
    EXPECT_EQ(ConnectLink(engine, profiles, link, message), LinkOutcome::Refused);
    EXPECT_EQ(message, kNoFreeSlot);
}

TEST(HandOver, RoundTripsAndRefusesAnythingElse) {
    const HandOver request{{2, 1}, {"irc://h/#c", "ircs://x/%E3%83%86"}};
    const std::string bytes = EncodeHandOver(request);
    HandOver decoded;
    ASSERT_TRUE(DecodeHandOver(bytes, decoded));
    EXPECT_EQ(decoded, request);
    ASSERT_TRUE(DecodeHandOver(EncodeHandOver({}), decoded));
    EXPECT_EQ(decoded, HandOver{});

    // A link with a line break inside cannot smuggle a request line in.
    ASSERT_TRUE(DecodeHandOver(EncodeHandOver({{}, {"irc://h/\nconnect 1"}}), decoded));
    EXPECT_EQ(decoded, HandOver{});
    EXPECT_FALSE(DecodeHandOver(bytes.substr(0, bytes.size() - 2), decoded)) << "cut short";
    EXPECT_FALSE(DecodeHandOver("GET / HTTP/1.0\r\n\r\n", decoded));
    EXPECT_FALSE(DecodeHandOver("velmok-handover 1\nconnect x\nend\n", decoded));
    EXPECT_FALSE(DecodeHandOver("velmok-handover 1\nrm -rf\nend\n", decoded));
    EXPECT_FALSE(DecodeHandOver("velmok-handover 1\n" + std::string(70000, 'x') + "\nend\n", decoded));
}

TEST(HandOver, OneSocketNamePerSettingsFolder) {
    const std::string a = HandOverSocketName("/home/u/.config/velmok");
    EXPECT_EQ(a, HandOverSocketName("/home/u/.config/velmok"));
    EXPECT_NE(a, HandOverSocketName("/home/u/.config/velmok2"));
    EXPECT_EQ(a.rfind("velmok-", 0), 0u);
    EXPECT_EQ(a.size(), 7u + 16u);
}

}  // namespace
}  // namespace velmok::ui
