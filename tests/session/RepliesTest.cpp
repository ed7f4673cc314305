#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "session/SessionFixture.h"

namespace velmok::session {

namespace {

IrcMessage Reply(std::initializer_list<std::string> fields) {
    IrcMessage m;
    int i = 0;
    for (const std::string& f : fields) m[i++] = f;
    return m;
}

class RepliesTest : public SessionFixture {
protected:
    FakeClientSocket* socket = nullptr;
    void SetUp() override { socket = Register(0, "n"); }
    void FromServer(const std::string& line) { socket->Deliver(":srv " + line + "\r\n"); }
};

TEST_F(RepliesTest, WhoisOfAMissingNickLeavesNoRow) {
    FromServer("401 n ghost :No such nick/channel");
    FromServer("318 n ghost :End of WHOIS list");
    EXPECT_TRUE(engine.Liv_Whois.empty());
    EXPECT_TRUE(ui.whoisOpened.empty());
    EXPECT_EQ(ui.TextsIn(0, ServerWindow).size(), 2u);  // both still shown
}

TEST_F(RepliesTest, WhoisFillsOneRowAndOpensOneWindow) {
    FromServer("311 n Bob bobu bob.example * :Bob Real");
    FromServer("312 n bob irc.example :Example server");
    FromServer("313 n BOB :is an IRC operator");
    FromServer("317 n bob 3725 1700000000 :seconds idle, signon time");
    FromServer("319 n bob :@#a #b");
    FromServer("301 n bob :gone fishing");
    ASSERT_EQ(engine.Liv_Whois.size(), 1u);
    FromServer("318 n bob :End of WHOIS list");

    ASSERT_EQ(engine.Liv_Whois.size(), 1u);
    const WhoisRow& row = engine.Liv_Whois[0];
    EXPECT_EQ(row.Slot, 0);
    EXPECT_EQ(row.Col[WhoisNick], "bob");  // as the latest reply spelt it
    EXPECT_EQ(row.Col[WhoisUser], "bobu");
    EXPECT_EQ(row.Col[WhoisHost], "bob.example");
    EXPECT_EQ(row.Col[WhoisRealName], "Bob Real");
    EXPECT_EQ(row.Col[WhoisServerName], "irc.example");
    EXPECT_EQ(row.Col[WhoisServerInfo], "Example server");
    EXPECT_EQ(row.Col[WhoisIRCOp], "is an IRC operator");
    EXPECT_EQ(row.Col[WhoisIdleTime], "01:02:05");
    EXPECT_EQ(row.Col[WhoisIdleMessage], "3725 1700000000");
    EXPECT_EQ(row.Col[WhoisChannels], "@#a #b");
    EXPECT_EQ(row.Col[WhoisAway], "gone fishing");
    EXPECT_EQ(row.Col[WhoisIsShow], "2");
    ASSERT_EQ(ui.whoisOpened.size(), 1u);
    EXPECT_EQ(ui.whoisOpened[0].nick, "bob");
    EXPECT_EQ(ui.whoisOpened[0].caption, "bob is an IRC operator");

    FromServer("318 n bob :End of WHOIS list");
    EXPECT_EQ(ui.whoisOpened.size(), 1u);
    EXPECT_TRUE(ui.whoisRefreshed.empty());

    // A window that asked again marks the row "1": the end refreshes it.
    engine.Liv_Whois[0].Col[WhoisIsShow] = "1";
    FromServer("318 n bob :End of WHOIS list");
    EXPECT_EQ(engine.Liv_Whois[0].Col[WhoisIsShow], "2");
    EXPECT_EQ(ui.whoisRefreshed, (std::vector<std::pair<int, std::string>>{{0, "bob"}}));
    EXPECT_EQ(ui.whoisOpened.size(), 1u);
}

TEST_F(RepliesTest, RowsAreKeptPerSlot) {
    engine.HandleWhoisReply(0, Reply({"srv", "311", "n", "bob", "u0", "h0", "*", "r"}));
    engine.HandleWhoisReply(1, Reply({"srv", "311", "n", "bob", "u1", "h1", "*", "r"}));
    ASSERT_EQ(engine.Liv_Whois.size(), 2u);
    EXPECT_EQ(engine.FindWhoisRow(1, "BOB"), 1);
    EXPECT_EQ(engine.WhoisRowFor(0, "Bob").Col[WhoisUser], "u0");
    EXPECT_EQ(engine.FindWhoisRow(2, "bob"), -1);
}

TEST_F(RepliesTest, IdleTimeFormat) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0", "00:00:00"},    {"59", "00:00:59"},
        {"3725", "01:02:05"}, {"363600", "01:00:00"},  // 101 hours keep their last two digits
        {"abc", ""},          {"", ""},
        {"-5", ""},           {"12x", ""},
    };
    for (const auto& [field, expected] : cases) {
        SCOPED_TRACE(field);
        engine.HandleWhoisReply(0, Reply({"srv", "317", "n", "idler", field, "99"}));
        EXPECT_EQ(engine.WhoisRowFor(0, "idler").Col[WhoisIdleTime], expected);
        EXPECT_EQ(engine.WhoisRowFor(0, "idler").Col[WhoisIdleMessage], field + " 99");
    }
}

TEST_F(RepliesTest, EndOfWhowasDropsRowsNotShown) {
    engine.HandleWhoisReply(0, Reply({"srv", "312", "n", "old", "s", "i"}));
    engine.HandleWhoisReply(0, Reply({"srv", "312", "n", "shown", "s", "i"}));
    engine.WhoisRowFor(0, "shown").Col[WhoisIsShow] = "2";
    engine.HandleEndOfWhowas(0, Reply({"srv", "369", "n", "old"}));
    engine.HandleEndOfWhowas(0, Reply({"srv", "369", "n", "shown"}));
    engine.HandleEndOfWhowas(0, Reply({"srv", "369", "n", "never"}));
    ASSERT_EQ(engine.Liv_Whois.size(), 1u);
    EXPECT_EQ(engine.Liv_Whois[0].Col[WhoisNick], "shown");
}

TEST_F(RepliesTest, ChannelListIsCollectedAndOpenedOnce) {
    FromServer("321 n Channel :Users  Name");
    ui.Clear();
    FromServer("322 n #a 3 :first topic");
    FromServer("322 n #b 12 :");
    EXPECT_TRUE(ui.lines.empty());
    FromServer("323 n :End of LIST");
    EXPECT_EQ(engine.Slot(0).ListText, "#a\r\n3\r\nfirst topic\r\n#b\r\n12\r\n\r\n");
    EXPECT_EQ(engine.Slot(0).ListState, 1);
    EXPECT_EQ(ui.channelLists, std::vector<int>{0});
    EXPECT_TRUE(ui.lines.empty());

    // The window takes the list; a later LIST reloads it without a second window.
    engine.Slot(0).ListText.clear();
    engine.Slot(0).ListState = 2;
    FromServer("322 n #c 1 :x");
    FromServer("323 n :End of LIST");
    EXPECT_EQ(engine.Slot(0).ListState, 1);
    EXPECT_EQ(ui.channelLists.size(), 1u);
}

TEST_F(RepliesTest, EmptyChannelListIsJustShown) {
    FromServer("323 n :End of LIST");
    EXPECT_EQ(engine.Slot(0).ListState, 0);
    EXPECT_TRUE(ui.channelLists.empty());
    EXPECT_EQ(ui.TextsIn(0, ServerWindow), std::vector<std::string>{"323 End of LIST"});
}

TEST_F(RepliesTest, BanListGoesToTheWindowThatAsked) {
    engine.BanListRequests = 1;
    FromServer("367 n #c mask1 setter 1700000000");
    FromServer("367 n #c mask2 setter 1700000001");
    FromServer("368 n #c :End of Channel Ban List");
    EXPECT_EQ(engine.BanListReply, "#c\r\nmask1\r\n#c\r\nmask2\r\n#c\r\n\r\n");
    EXPECT_EQ(engine.BanListBuffer, "");
    EXPECT_EQ(engine.BanListRequests, 0);
    EXPECT_TRUE(ui.lines.empty());

    // Nobody asked: the lines are shown, the reply is still refreshed.
    FromServer("367 n #d mask3 setter 1");
    FromServer("368 n #d :End of Channel Ban List");
    EXPECT_EQ(engine.BanListReply, "#d\r\nmask3\r\n#d\r\n\r\n");
    EXPECT_EQ(ui.lines.size(), 2u);
    EXPECT_EQ(engine.BanListRequests, 0);
}

}  // namespace

}  // namespace velmok::session
