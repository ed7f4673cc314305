#include <gtest/gtest.h>

#include <filesystem>

#include "support/IrcPeer.h"
#include "support/NgircdServer.h"

namespace velmok::test {
namespace {

TEST(NgircdServerTest, PeerRegistersJoinsAndEverythingIsCleanedUp) {
    if (!NgircdServer::Available()) GTEST_SKIP() << "ngircd is not installed";
    std::string dir;
    {
        NgircdServer server;
        ASSERT_TRUE(server.Start()) << server.Error();
        dir = server.Directory();
        EXPECT_TRUE(std::filesystem::exists(dir + "/ngircd.conf"));

        IrcPeer alice;
        ASSERT_TRUE(alice.Connect(server.Port()));
        ASSERT_TRUE(alice.Register("alice")) << server.Log();
        EXPECT_EQ(alice.Received().front().rfind(":irc.test ", 0), 0u) << alice.Received().front();

        ASSERT_TRUE(alice.SendLine("JOIN #test"));
        const auto join = alice.WaitForCommand("JOIN", 5000);
        ASSERT_TRUE(join.has_value());
        EXPECT_EQ(join->rfind(":alice!", 0), 0u) << *join;
        EXPECT_NE(join->find("#test"), std::string::npos);

        // A second user sees alice's channel message.
        IrcPeer bob;
        ASSERT_TRUE(bob.Connect(server.Port()));
        ASSERT_TRUE(bob.Register("bob"));
        bob.SendLine("JOIN #test");
        ASSERT_TRUE(bob.WaitForCommand("366", 5000));
        alice.SendLine("PRIVMSG #test :hello");
        const auto msg = bob.WaitForCommand("PRIVMSG", 5000);
        ASSERT_TRUE(msg.has_value());
        EXPECT_EQ(*msg, ":alice!~peer@127.0.0.1 PRIVMSG #test :hello");

        server.Stop();
        EXPECT_FALSE(server.Running());
        while (alice.ReadLine(3000)) {
        }
        EXPECT_TRUE(alice.PeerClosed());
        IrcPeer late;
        EXPECT_FALSE(late.Connect(server.Port(), 1000));
    }
    EXPECT_FALSE(std::filesystem::exists(dir));
}

TEST(IrcPeerTest, CommandWordSkipsThePrefix) {
    EXPECT_EQ(IrcPeer::Command(":irc.test 001 alice :Welcome"), "001");
    EXPECT_EQ(IrcPeer::Command("PING :irc.test"), "PING");
    EXPECT_EQ(IrcPeer::Command(":lonely"), "");
    EXPECT_EQ(IrcPeer::Command(""), "");
}

}  // namespace
}  // namespace velmok::test
