// The demo as `make demo` starts it, headless: the client reaches the demo
// channel, the companion talks, and stopping the demo leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>

#include "session/Codec.h"
#include "support/ChildProcess.h"
#include "support/IrcPeer.h"
#include "support/NgircdServer.h"

namespace velmok::test {
namespace {

namespace fs = std::filesystem;

TEST(Demo, TheClientReachesTheDemoChannelAndStoppingLeavesNothingBehind) {
    if (!NgircdServer::Available()) GTEST_SKIP() << "ngircd is not installed";
    std::string pattern = (fs::temp_directory_path() / "velmok-demotest-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path root = pattern;
    fs::create_directories(root / "run");
    ::chmod((root / "run").c_str(), 0700);
    const std::string out = (root / "demo.out").string();

    ChildProcess demo;
    demo.Start({VELMOK_DEMO_BINARY, "--client", VELMOK_BINARY},
               {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + (root / "run").string()}, out,
               (root / "demo.err").string());
    ASSERT_TRUE(ChildProcess::WaitForText(out, "demo: guest joined the demo channel\n", 20000))
        << ChildProcess::ReadFile(out) << ChildProcess::ReadFile((root / "demo.err").string());

    std::smatch match;
    const std::string text = ChildProcess::ReadFile(out);
    ASSERT_TRUE(std::regex_search(text, match, std::regex("server on 127\\.0\\.0\\.1:(\\d+)")));
    const int port = std::stoi(match[1]);
    ASSERT_TRUE(std::regex_search(text, match, std::regex("settings folder (\\S+)")));
    const fs::path settings = match[1].str();
    EXPECT_TRUE(fs::exists(settings / "Connections"));

    // A third user sees both in the channel, and the companion answers a line.
    const std::string channel = session::SjisToJis("#\x83\x66\x83\x82");
    IrcPeer peer;
    ASSERT_TRUE(peer.Connect(port));
    ASSERT_TRUE(peer.Register("visitor2"));
    peer.SendLine("JOIN " + channel);
    auto names = peer.WaitForCommand("353", 5000);
    ASSERT_TRUE(names);
    EXPECT_NE(names->find("guest"), std::string::npos) << *names;
    EXPECT_NE(names->find("sakura"), std::string::npos) << *names;
    peer.SendLine("PRIVMSG " + channel + " :hello");
    EXPECT_TRUE(peer.WaitFor(
        [](const std::string& l) {
            return l.starts_with(":sakura!") && l.find("PRIVMSG") != std::string::npos;
        },
        5000));
    peer.Close();

    demo.Signal(SIGTERM);
    EXPECT_EQ(demo.Wait(20000), 0);
    EXPECT_NE(ChildProcess::ReadFile(out).find("demo: stopped\n"), std::string::npos);
    IrcPeer late;
    EXPECT_FALSE(late.Connect(port, 500)) << "the server went with the demo";
    EXPECT_FALSE(fs::exists(settings)) << "and so did the demo's settings folder";
    fs::remove_all(root);
}

}  // namespace
}  // namespace velmok::test
