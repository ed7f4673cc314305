// The real client binary against a real server: start-up from a profile,
// auto-join, rendering to the log, and a clean close on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "support/ChildProcess.h"
#include "support/IrcPeer.h"
#include "support/NgircdServer.h"

namespace velmok::test {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// One running client process with its own settings folder.
class Client {
public:
    explicit Client(const fs::path& dir) : dir_(dir) {}

    void Start(const std::vector<std::string>& extra) {
        std::vector<std::string> args = {VELMOK_BINARY, "--config-dir", dir_.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        process_.Start(args, {"QT_QPA_PLATFORM=offscreen"}, {}, (dir_ / "client.log").string());
    }
    int Wait(int timeoutMs) { return process_.Wait(timeoutMs); }
    void Signal(int sig) { process_.Signal(sig); }
    void Kill() { process_.Kill(); }

private:
    fs::path dir_;
    ChildProcess process_;
};

class VelmokBinaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NgircdServer::Available()) GTEST_SKIP() << "ngircd is not installed";
        ASSERT_TRUE(server.Start()) << server.Error();
        char tmpl[] = "/tmp/velmok-bin-XXXXXX";
        dir = ::mkdtemp(tmpl);
        ASSERT_TRUE(peer.Connect(server.Port()));
        ASSERT_TRUE(peer.Register("peer"));
    }
    void TearDown() override {
        peer.Close();
        if (!dir.empty()) fs::remove_all(dir);
    }

    // A profile for this server: nick velmo, user vuser, real name, auto-join.
    void WriteProfile(const std::string& autoJoin) {
        WriteAll(dir / "Connections", "127.0.0.1\r\n" + std::to_string(server.Port()) +
                                          "\r\n\r\nvelmo\r\n\r\nvuser\r\nVelmok Real\r\n" + autoJoin +
                                          "\r\n");
    }

    bool PeerSees(const std::string& text, int timeoutMs = 10000) {
        return peer
            .WaitFor([&](const std::string& line) { return line.find(text) != std::string::npos; }, timeoutMs)
            .has_value();
    }

    NgircdServer server;
    IrcPeer peer;
    fs::path dir;
};

TEST_F(VelmokBinaryTest, ConnectsFromAProfileAndJoinsTheTickedChannels) {
    peer.SendLine("JOIN #one");
    peer.SendLine("JOIN #two");
    ASSERT_TRUE(PeerSees("JOIN :#two"));
    WriteProfile("1 #one  0 #skip  1 #two  ");
    Client client(dir);
    client.Start({"--connect", "1"});

    ASSERT_TRUE(PeerSees("velmo!~vuser@127.0.0.1 JOIN :#one"));
    ASSERT_TRUE(PeerSees("velmo!~vuser@127.0.0.1 JOIN :#two"));
    peer.SendLine("WHOIS velmo");
    auto whois = peer.WaitFor([](const std::string& l) { return IrcPeer::Command(l) == "311"; }, 5000);
    ASSERT_TRUE(whois);
    EXPECT_NE(whois->find("velmo ~vuser 127.0.0.1 * :Velmok Real"), std::string::npos) << *whois;
    auto channels = peer.WaitFor([](const std::string& l) { return IrcPeer::Command(l) == "319"; }, 5000);
    ASSERT_TRUE(channels);
    EXPECT_EQ(channels->find("#skip"), std::string::npos) << *channels;
    client.Kill();
}

TEST_F(VelmokBinaryTest, LogsJapaneseLinesAndQuitsCleanlyOnSigterm) {
    WriteProfile("1 #one  ");
    WriteAll(dir / "velmok.ini",
             "[Log]\r\nOutput=1\r\nPath=" + dir.string() + "\r\n[Message]\r\nQUIT=bye\r\n");
    peer.SendLine("JOIN #one");
    ASSERT_TRUE(PeerSees("JOIN :#one"));
    Client client(dir);
    client.Start({"--connect", "1"});
    ASSERT_TRUE(PeerSees("velmo!~vuser@127.0.0.1 JOIN :#one"));

    // "あ" in ISO-2022-JP, then ASCII.
    peer.SendLine("PRIVMSG #one :\x1b$B$\"\x1b(B hi 100%");
    // The log of channel #one on the server irc.test, today.
    fs::path log;
    const std::regex name(R"(irc\.test-#one_\d{8}\.log)");
    for (int i = 0; i < 100 && log.empty(); ++i) {
        for (const auto& entry : fs::directory_iterator(dir))
            if (std::regex_match(entry.path().filename().string(), name)) log = entry.path();
        if (log.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_FALSE(log.empty()) << "no channel log written";
    std::string bytes;
    for (int i = 0; i < 100 && bytes.find("100%") == std::string::npos; ++i) {
        bytes = ReadAll(log);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // "hh:mm #one <peer> あ hi 100%" in Shift-JIS with CR LF.
    EXPECT_TRUE(std::regex_search(bytes, std::regex(R"((^|\n)\d\d:\d\d #one <peer> )"))) << bytes;
    EXPECT_NE(bytes.find("#one <peer> \x82\xa0 hi 100%\r\n"), std::string::npos) << bytes;

    client.Signal(SIGTERM);
    EXPECT_TRUE(PeerSees("velmo!~vuser@127.0.0.1 QUIT :", 10000));
    EXPECT_EQ(client.Wait(10000), 0);
    const std::string ini = ReadAll(dir / "velmok.ini");
    // The sections the file had stay first; the others follow in save order.
    EXPECT_EQ(ini.rfind("[Log]", 0), 0u) << ini.substr(0, 200);
    ASSERT_NE(ini.find("[Bgcolor]"), std::string::npos);
    EXPECT_LT(ini.find("[Bgcolor]"), ini.find("[Font_Keyword]"));
    EXPECT_LT(ini.find("[Event]"), ini.find("[Window]"));
    EXPECT_NE(ini.find("AllWindowHeight="), std::string::npos);
    EXPECT_NE(ini.find("QUIT=bye\r\n"), std::string::npos);
    EXPECT_NE(ini.find("Output=1\r\n"), std::string::npos);
}

}  // namespace
}  // namespace velmok::test
