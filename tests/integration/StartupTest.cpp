// The real binary's start: the command line without a display, the reasons a
// --connect fails, and links handed to a client that already runs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include "session/Codec.h"
#include "support/ChildProcess.h"
#include "support/IrcPeer.h"
#include "support/NgircdServer.h"

namespace velmok::test {
namespace {

namespace fs = std::filesystem;

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velmok-startup-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directories(root / "run");
        ::chmod((root / "run").c_str(), 0700);
    }
    void TearDown() override { fs::remove_all(root); }

    // Starts the client; its standard error goes to NAME.err beside the folders.
    void Run(ChildProcess& process, const std::string& name, std::vector<std::string> args) {
        args.insert(args.begin(), VELMOK_BINARY);
        process.Start(args, {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + (root / "run").string()},
                      Out(name), Err(name));
    }
    std::string Out(const std::string& name) const { return (root / (name + ".out")).string(); }
    std::string Err(const std::string& name) const { return (root / (name + ".err")).string(); }

    int HandOverSockets() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(root / "run"))
            count += entry.path().filename().string().starts_with("velmok-") ? 1 : 0;
        return count;
    }
    bool WaitForSockets(int count) const {
        for (int i = 0; i < 200 && HandOverSockets() < count; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return HandOverSockets() >= count;
    }

    fs::path root;
};

TEST_F(StartupTest, HelpVersionAndMistakesNeedNoDisplay) {
    // No display of any kind, as over SSH.
    const std::vector<std::string> noDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                                "XDG_CONFIG_HOME=" + (root / "xdg").string()};
    ChildProcess help;
    help.Start({VELMOK_BINARY, "--help"}, noDisplay, Out("help"), Err("help"));
    EXPECT_EQ(help.Wait(10000), 0);
    const std::string text = ChildProcess::ReadFile(Out("help"));
    EXPECT_NE(text.find("--connect N"), std::string::npos) << text;
    EXPECT_NE(text.find("This run uses: " + fs::path(VELMOK_BINARY).parent_path().string() + "\n"),
              std::string::npos)
        << "a build folder is writable and no install, so it holds the settings";

    ChildProcess version;
    version.Start({VELMOK_BINARY, "--version"}, noDisplay, Out("version"), Err("version"));
    EXPECT_EQ(version.Wait(10000), 0);
    EXPECT_EQ(ChildProcess::ReadFile(Out("version")), "Velmok 2.2\n");

    ChildProcess wrong;
    wrong.Start({VELMOK_BINARY, "--conect", "1"}, noDisplay, Out("wrong"), Err("wrong"));
    EXPECT_EQ(wrong.Wait(10000), 2);
    EXPECT_EQ(ChildProcess::ReadFile(Err("wrong")),
              "velmok: unknown option '--conect'\nTry 'velmok --help' for more information.\n");
}

TEST_F(StartupTest, ASignalWhileALinksEditorIsUpEndsTheProgram) {
    // No profile yet: the link opens the connection editor before the main
    // loop runs. SIGTERM there must end the program, not leave it windowless.
    fs::create_directories(root / "設定");
    ChildProcess client;
    Run(client, "link", {"--config-dir", (root / "設定").string(), "irc://127.0.0.1:1/%23x"});
    ASSERT_TRUE(WaitForSockets(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    client.Signal(SIGTERM);
    EXPECT_EQ(client.Wait(10000), 0) << ChildProcess::ReadFile(Err("link"));
}

class StartupServerTest : public StartupTest {
protected:
    void SetUp() override {
        StartupTest::SetUp();
        if (!NgircdServer::Available()) GTEST_SKIP() << "ngircd is not installed";
        ASSERT_TRUE(server.Start()) << server.Error();
        ASSERT_TRUE(peer.Connect(server.Port()));
        ASSERT_TRUE(peer.Register("peer"));
    }
    void TearDown() override {
        peer.Close();
        StartupTest::TearDown();
    }

    std::string Folder(const std::string& name) {
        fs::create_directories(root / name);
        return (root / name).string();
    }
    void WriteConnections(const std::string& folder, const std::string& bytes) {
        std::ofstream(folder + "/Connections", std::ios::binary) << bytes;
    }
    std::string Profile(const std::string& nick, const std::string& autoJoin = "") {
        return "127.0.0.1\r\n" + std::to_string(server.Port()) + "\r\n\r\n" + nick +
               "\r\n\r\nvuser\r\nReal\r\n" + autoJoin + "\r\n";
    }
    bool PeerSees(const std::string& text, int timeoutMs = 10000) {
        return peer
            .WaitFor([&](const std::string& l) { return l.find(text) != std::string::npos; }, timeoutMs)
            .has_value();
    }

    NgircdServer server;
    IrcPeer peer;
};

TEST_F(StartupServerTest, ConnectSaysWhyAProfileWasNotConnected) {
    const std::string folder = Folder("a");
    WriteConnections(folder, Profile("9bad") + Profile("velmo", "1 #one  "));
    peer.SendLine("JOIN #one");
    ASSERT_TRUE(PeerSees("JOIN :#one"));
    ChildProcess client;
    Run(client, "a", {"--config-dir", folder, "--connect", "1", "--connect", "3", "--connect", "2"});
    ASSERT_TRUE(PeerSees("velmo!~vuser@127.0.0.1 JOIN :#one")) << "profile 2 still connects";
    const std::string err = ChildProcess::ReadFile(Err("a"));
    EXPECT_NE(
        err.find("velmok: profile 1 was dropped when the settings were read: field Nick fails its check: "
                 "Nickの先頭に数字または-は使用できません。\n"),
        std::string::npos)
        << err;
    EXPECT_NE(err.find("velmok: profile 3: no such profile; Connections holds 2\n"), std::string::npos)
        << err;
    client.Signal(SIGTERM);
    EXPECT_EQ(client.Wait(10000), 0);
}

TEST_F(StartupServerTest, ALinkIsHandedToTheClientRunningWithTheSameFolderOnly) {
    const std::string folder = Folder("a");
    WriteConnections(folder, Profile("velmo"));
    ChildProcess first;
    Run(first, "first", {"--config-dir", folder});
    ASSERT_TRUE(WaitForSockets(1)) << ChildProcess::ReadFile(Err("first"));

    // テスト, escaped as a browser does; the peer waits in the channel to see the join.
    const std::string channel = session::SjisToJis("#\x83\x65\x83\x58\x83\x67");
    peer.SendLine("JOIN " + channel);
    ASSERT_TRUE(PeerSees("JOIN :" + channel));
    peer.SendLine("JOIN #two");
    ASSERT_TRUE(PeerSees("JOIN :#two"));
    ChildProcess second;
    Run(second, "second",
        {"--config-dir", folder,
         "irc://127.0.0.1:" + std::to_string(server.Port()) + "/%E3%83%86%E3%82%B9%E3%83%88"});
    EXPECT_EQ(second.Wait(10000), 0) << "the second start ends once the running client has the link";
    EXPECT_NE(ChildProcess::ReadFile(Err("second")).find("handed over"), std::string::npos);
    ASSERT_TRUE(PeerSees("velmo!~vuser@127.0.0.1 JOIN :" + channel)) << "the first client joins";

    // Another settings folder is another client, side by side.
    const std::string other = Folder("b");
    WriteConnections(other, Profile("other", "1 #two  "));
    ChildProcess third;
    Run(third, "third", {"--config-dir", other, "--connect", "1"});
    ASSERT_TRUE(PeerSees("other!~vuser@127.0.0.1 JOIN :#two"));
    EXPECT_EQ(third.Wait(300), -1) << "it keeps running beside the first";
    EXPECT_EQ(HandOverSockets(), 2);

    first.Signal(SIGTERM);
    third.Signal(SIGTERM);
    EXPECT_EQ(first.Wait(10000), 0);
    EXPECT_EQ(third.Wait(10000), 0);
    EXPECT_EQ(HandOverSockets(), 0) << "each client takes its socket with it";
}

}  // namespace
}  // namespace velmok::test
