// The real client binary against a real server: start-up from a profile,
// auto-join, rendering to the log, and a clean close on SIGTERM; and against
// a scripted server, its way out past a server and a dialog that never end.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "support/ChildProcess.h"
#include "support/IrcPeer.h"
#include "support/LoopbackListener.h"
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

    void Start(const std::vector<std::string>& extra,
               const std::vector<std::string>& env = {"QT_QPA_PLATFORM=offscreen"}) {
        std::vector<std::string> args = {VELMOK_BINARY, "--config-dir", dir_.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        process_.Start(args, env, {}, (dir_ / "client.log").string());
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
    void WriteProfile(const std::string& autoJoin, const fs::path& folder = {}) {
        WriteAll((folder.empty() ? dir : folder) / "Connections",
                 "127.0.0.1\r\n" + std::to_string(server.Port()) +
                     "\r\n\r\nvelmo\r\n\r\nvuser\r\nVelmok Real\r\n" + autoJoin + "\r\n");
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
    // Folders with Japanese names; velmok.ini keeps the log folder in Shift-JIS.
    const fs::path settings = dir / "設定";
    const fs::path logs = dir / "ログ";
    fs::create_directories(settings);
    fs::create_directories(logs);
    const std::string logPath = "Path=" + dir.string() + "/\x83\x8d\x83\x4f\r\n";
    WriteProfile("1 #one  ", settings);
    WriteAll(settings / "velmok.ini", "[Log]\r\nOutput=1\r\n" + logPath + "[Message]\r\nQUIT=bye\r\n");
    peer.SendLine("JOIN #one");
    ASSERT_TRUE(PeerSees("JOIN :#one"));
    Client client(settings);
    client.Start({"--connect", "1"});
    ASSERT_TRUE(PeerSees("velmo!~vuser@127.0.0.1 JOIN :#one"));

    // "あ" in ISO-2022-JP, then ASCII.
    peer.SendLine("PRIVMSG #one :\x1b$B$\"\x1b(B hi 100%");
    // The log of channel #one on the server irc.test, today.
    fs::path log;
    const std::regex name(R"(irc\.test-#one_\d{8}\.log)");
    for (int i = 0; i < 100 && log.empty(); ++i) {
        for (const auto& entry : fs::directory_iterator(logs))
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
    const std::string ini = ReadAll(settings / "velmok.ini");
    // The sections the file had stay first; the others follow in save order.
    EXPECT_EQ(ini.rfind("[Log]\r\nOutput=1\r\n" + logPath, 0), 0u) << ini.substr(0, 200);
    ASSERT_NE(ini.find("[Bgcolor]"), std::string::npos);
    EXPECT_LT(ini.find("[Bgcolor]"), ini.find("[Font_Keyword]"));
    EXPECT_LT(ini.find("[Event]"), ini.find("[Window]"));
    EXPECT_NE(ini.find("AllWindowHeight="), std::string::npos);
    EXPECT_NE(ini.find("QUIT=bye\r\n"), std::string::npos);
    EXPECT_NE(ini.find("Output=1\r\n"), std::string::npos);
}

// The server is the test itself on 127.0.0.1: it registers the client and
// answers nothing more, and never drops it unless told to.
class ScriptedServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GE(listener = velmok::testing::ListenOnLoopback(port), 0);
        char tmpl[] = "/tmp/velmok-exit-XXXXXX";
        dir = ::mkdtemp(tmpl);
        client = std::make_unique<Client>(dir);
        WriteAll(dir / "Connections",
                 "127.0.0.1\r\n" + std::to_string(port) + "\r\n\r\nvelmo\r\n\r\nvuser\r\nReal\r\n\r\n");
    }
    void TearDown() override {
        ::close(fd);
        ::close(listener);
        fs::remove_all(dir);
    }
    // Reads (accepting the client first) until text has come from it.
    bool Sees(const std::string& text) {
        // Generous: a sanitizer build starting on a busy machine is slow.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(40);
        while (got.find(text) == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd p{fd >= 0 ? fd : listener, POLLIN, 0};
            char bytes[4096];
            if (::poll(&p, 1, 50) <= 0) continue;
            if (fd < 0)
                fd = ::accept(listener, nullptr, nullptr);
            else if (const ssize_t n = ::recv(fd, bytes, sizeof bytes, 0); n > 0)
                got.append(bytes, n);
        }
        return got.find(text) != std::string::npos;
    }
    void Welcome(const std::string& more = "") {
        ASSERT_TRUE(Sees("USER vuser")) << got << ReadAll(dir / "client.log");
        // The answer to the PING says the welcome has been taken.
        const std::string bytes = ":srv 001 velmo :Welcome\r\nPING :up\r\n" + more;
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        ASSERT_TRUE(Sees("PONG"));
    }
    // SIGTERM: QUIT, exit status 0 and the window's settings written.
    void ExpectCleanExitOnSigterm(bool serverDrops) {
        client->Signal(SIGTERM);
        EXPECT_TRUE(Sees("QUIT"));
        if (serverDrops) ::shutdown(fd, SHUT_RDWR);
        EXPECT_EQ(client->Wait(15000), 0) << ReadAll(dir / "client.log");
        EXPECT_NE(ReadAll(dir / "velmok.ini").find("[Window]"), std::string::npos);
    }

    void Send(const std::string& bytes) { ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

    // A display of its own (Xvfb) for the client, with xdotool to act on it
    // as a user would; false (the test skips) when either is missing.
    bool StartDisplay() {
        if (std::system("command -v Xvfb >/dev/null && command -v xdotool >/dev/null") != 0) return false;
        xvfb.Start({"/usr/bin/Xvfb", "-displayfd", "1", "-nolisten", "tcp"}, {}, (dir / "display").string());
        EXPECT_TRUE(ChildProcess::WaitForText((dir / "display").string(), "\n", 10000));
        const std::string number = ReadAll(dir / "display");
        display = "DISPLAY=:" + number.substr(0, number.find('\n'));
        return true;
    }
    bool Xdo(const std::string& step) {
        const bool done = std::system((display + " timeout 20 xdotool " + step + " >/dev/null").c_str()) == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return done;
    }

    int listener = -1, port = 0, fd = -1;
    std::string got;
    fs::path dir;
    std::unique_ptr<Client> client;
    ChildProcess xvfb;
    std::string display;
};

TEST_F(ScriptedServerTest, AServerThatNeverDropsUsAfterQuitDoesNotKeepTheClient) {
    client->Start({"--connect", "1"});
    Welcome();
    ExpectCleanExitOnSigterm(false);
}

// A desktop logout while the save dialog of a DCC offer waits: it needs a
// display to answer the offer's question on, Xvfb, and xdotool to do it.
TEST_F(ScriptedServerTest, SigtermWhileTheDccSaveDialogIsUpEndsCleanly) {
    if (!StartDisplay()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    client->Start({"--connect", "1"}, {display, "QT_QPA_PLATFORM=xcb"});
    Welcome(
        ":bob!b@h PRIVMSG velmo :\x01"
        "DCC SEND notes.txt 2130706433 1 10\x01\r\n");
    // The main window takes the server's name, so the one window named like
    // the program is the question; without a window manager the client gives
    // it the focus itself. Yes is its default button.
    for (const char* step :
         {"search --sync --onlyvisible --name '^srv$'", "search --sync --onlyvisible --name '^Velmok 2.2$'",
          "key Return", "search --sync --onlyvisible --name '^Save As$'"})
        ASSERT_TRUE(Xdo(step)) << step;
    ExpectCleanExitOnSigterm(true);
    EXPECT_FALSE(fs::exists(dir / "notes.txt"));
}

// Commands typed into the input line go out as the server expects, and a
// dropped connection comes back by itself into the windows it left, with no
// message box in the way.
TEST_F(ScriptedServerTest, TypedCommandsAndADropThatTheClientSurvives) {
    if (!StartDisplay()) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    client->Start({"--connect", "1"}, {display, "QT_QPA_PLATFORM=xcb"});
    Welcome();
    // A click into the input line above the status bar: without a window
    // manager nothing else gives it the keyboard.
    ASSERT_TRUE(Xdo("search --sync --onlyvisible --name '^srv$'"));
    ASSERT_EQ(std::system((display + " bash -c 'eval $(xdotool search --onlyvisible --name \"^srv$\" "
                                     "getwindowgeometry --shell) && xdotool mousemove $((X + 60)) "
                                     "$((Y + HEIGHT - 40)) click 1'")
                              .c_str()),
              0);
    for (const char* line :
         {"/j #b", "/me waves", "/MSG bob hi there", "/topic new topic", "/quote mode #b +t"}) {
        ASSERT_TRUE(Xdo(std::string("type --delay 15 '") + line + "'") && Xdo("key Return"));
        if (got.find("JOIN #b") == std::string::npos && Sees("JOIN #b\r\n")) Send(":velmo!u@h JOIN :#b\r\n");
    }
    EXPECT_TRUE(
        Sees("PRIVMSG #b :\x01"
             "ACTION waves\x01\r\nPRIVMSG bob :hi there\r\nTOPIC #b :new topic\r\nmode #b +t\r\n"))
        << got;

    // The server goes away; after 5 seconds the client is back and rejoins.
    ::close(fd);
    fd = -1;
    got.clear();
    ASSERT_TRUE(Sees("USER vuser")) << ReadAll(dir / "client.log");
    Send(":srv 001 velmo :Welcome back\r\n");
    ASSERT_TRUE(Sees("JOIN #b\r\n")) << got;
    Send(":velmo!u@h JOIN :#b\r\nPING :again\r\n");
    ASSERT_TRUE(Sees("PONG"));
    // Its own window took it back; no message box (titled with the program's name) is up.
    EXPECT_TRUE(Xdo("search --sync --onlyvisible --name '^#b'"));
    EXPECT_FALSE(Xdo("search --onlyvisible --name '^Velmok 2.2$'"));
    ExpectCleanExitOnSigterm(true);
}

}  // namespace
}  // namespace velmok::test
