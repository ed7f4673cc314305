#include <gtest/gtest.h>

#include <deque>

#include "session/Codec.h"
#include "session/SessionFixture.h"
#include "windows/NickMenu.h"

namespace velmok::windows {
namespace {

using session::SjisToJis;

const std::string kZatsudan = "#\x8e\x47\x92\x6b";                    // "#雑談"
const std::string kBye = "\x82\xb3\x82\xe6\x82\xa4\x82\xc8\x82\xe7";  // "さようなら"

class NickMenuTest : public session::SessionFixture {
protected:
    NickMenu menu{engine};
    std::vector<session::InputBoxRequest> asked;
    std::deque<std::pair<bool, std::string>> answers;  // OK or Cancel, and the typed text
    std::vector<std::string> chats, files;
    session::FakeClientSocket* socket = nullptr;
    int window = -1;

    void SetUp() override {
        socket = Register(0, "me");
        menu.AskInput = [this](const session::InputBoxRequest& r, std::string& text) {
            asked.push_back(r);
            if (answers.empty()) return false;
            auto [ok, typed] = answers.front();
            answers.pop_front();
            text = typed;
            return ok;
        };
        menu.OfferChat = [this](int slot, const std::string& nick) {
            chats.push_back(std::to_string(slot) + nick);
        };
        menu.OfferFile = [this](int slot, const std::string& nick) {
            files.push_back(std::to_string(slot) + nick);
        };
    }

    // Joins channel as operator (or not) with the members listed.
    void Join(const std::string& channel, bool op, const std::string& others = "a b c d") {
        socket->Deliver(":me!u@h JOIN :" + channel + "\r\n");
        window = engine.FindChannel(0, channel);
        socket->Deliver(":srv 353 me = " + channel + " :" + (op ? "@me " : "me ") + others + "\r\n");
        socket->Deliver(":srv 366 me " + channel + " :End\r\n");
        ui.activeWindow[0] = window;
        QueueB().clear();  // the join's own MODE query
    }
    const NickMenuState& Open(std::vector<std::string> selected) {
        return menu.Popup({0, window, std::move(selected)});
    }
    const NickEntryState& Entry(NickEntry e) { return menu.State()[static_cast<std::size_t>(e)]; }
    // The top-level entries ("+" enabled, "-" disabled) and the visible
    // captions under MODE, after opening on selected.
    std::string Shown(std::vector<std::string> selected) {
        const NickMenuState& state = Open(std::move(selected));
        std::string top, modes;
        for (std::size_t i = 0; i < NickMenuItems.size(); ++i) {
            const NickMenuItem& item = NickMenuItems[i];
            if (item.parent < 0) {
                top += std::string(state[i].enabled ? "+" : "-") + item.name + " ";
            } else if (std::string(NickMenuItems[item.parent].name) == "mode" && state[i].visible) {
                modes += (modes.empty() ? "" : " ") + state[i].caption;
            }
        }
        return top + "[" + modes + "]";
    }
    std::string& QueueB() { return engine.Slot(0).SendQueueB; }
    std::string& QueueC() { return engine.Slot(0).SendQueueC; }
};

TEST_F(NickMenuTest, OpeningDecidesEveryEntryFromSelectionOperatorAndModes) {
    Join("#c", true);
    socket->Deliver(":srv 324 me #c +pil 10\r\n");
    // Operators may invite into +i; with nothing selected MODE offers the
    // channel's own modes, captioned for the change each would make.
    EXPECT_EQ(Shown({}), "-whois +priv +mode +invite -kick +CTCP -DCC [-p +s +m +t -i +n -l +k...]");
    EXPECT_EQ(Shown({"a"}), "+whois +priv +mode +invite +kick +CTCP +DCC [+o -o +b -b +v -v]");
    EXPECT_EQ(Shown({"a", "b"}), "+whois +priv +mode +invite +kick +CTCP -DCC [+o -o +b -b +v -v]");
    EXPECT_EQ(Shown({}), "-whois +priv +mode +invite -kick +CTCP -DCC [-p +s +m +t -i +n -l +k...]");

    socket->Deliver(":x!u@h MODE #c -o me\r\n");
    EXPECT_EQ(Shown({}), "-whois +priv -mode -invite -kick +CTCP -DCC [-p +s +m +t -i +n -l +k...]");
    EXPECT_EQ(Shown({"a"}), "+whois +priv -mode +invite -kick +CTCP +DCC [+o -o +b -b +v -v]");
    menu.Click(NickEntry::kick);  // a disabled entry does nothing
    menu.Click(NickEntry::mode_Add_o);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(QueueC(), "");

    // A private window's menu offers nothing.
    socket->Deliver(":bob!u@h PRIVMSG me :hi\r\n");
    window = engine.FindChannel(0, "bob");
    EXPECT_EQ(Shown({}).substr(0, 45), "-whois -priv -mode -invite -kick -CTCP -DCC [");
}

TEST_F(NickMenuTest, MemberModesGoInGroupsOfThreeAndBansLookTheHostUpFirst) {
    Join("#c", true, "a b c d @x +v");
    Open({"a", "b", "c", "d"});
    menu.Click(NickEntry::mode_Add_o);
    EXPECT_EQ(QueueC(), "MODE #c +ooo a b c\r\n10:MODE #c +o d\r\n4:");
    QueueC().clear();

    Open({"@x", "+v"});
    menu.Click(NickEntry::mode_Remove_v);
    EXPECT_EQ(QueueC(), "MODE #c -vv x v\r\n7:");  // marks are not part of the nick
    QueueC().clear();
    menu.Click(NickEntry::mode_Add_b);
    EXPECT_EQ(engine.PendingBans, "<x>#c:o<v>#c:+");
    EXPECT_EQ(QueueC(), "WHO x\r\n2:WHO v\r\n2:");

    menu.Click(NickEntry::whois);
    EXPECT_EQ(QueueB(), "WHOIS x x\r\n2:WHOIS v v\r\n2:");
}

// Lines arrive while the menu is open: an own JOIN makes another channel
// active, and the one the menu was opened for may even be left.
TEST_F(NickMenuTest, EveryEntryActsOnTheChannelAndMembersItWasOpenedFor) {
    Join("#test", true);
    socket->Deliver(":srv 324 me #test +k sesame\r\n");
    const int test = window;
    Open({"a", "b"});
    Join("#other", true, "x y");
    for (NickEntry e : {NickEntry::mode_Add_o, NickEntry::CTCP_TIME}) menu.Click(e);
    window = test;
    Open({});
    socket->Deliver(":me!u@h PART #test\r\n");
    for (NickEntry e : {NickEntry::CTCP_VERSION, NickEntry::mode_k}) menu.Click(e);
    EXPECT_EQ(QueueC(), "MODE #test +oo a b\r\n7:");
    EXPECT_EQ(QueueB(),
              "PRIVMSG a :\x01TIME\x01\r\n2:PRIVMSG b :\x01TIME\x01\r\n2:"
              "PRIVMSG #test :\x01VERSION\x01\r\n2:MODE #test -k :sesame\r\n4:");
}

TEST_F(NickMenuTest, ChannelModeEntriesSendTheirCaptionOrAskForLimitAndKey) {
    Join("#c", true);
    socket->Deliver(":srv 324 me #c +tk secret\r\n");
    Open({});
    menu.Click(NickEntry::mode_t);
    menu.Click(NickEntry::mode_m);
    menu.Click(NickEntry::mode_k);
    EXPECT_EQ(QueueB(), "MODE #c -t\r\n4:MODE #c +m\r\n4:MODE #c -k :secret\r\n4:");
    QueueB().clear();

    answers = {{true, "20"}, {false, "99"}};
    menu.Click(NickEntry::mode_l);
    menu.Click(NickEntry::mode_l);  // cancelled
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].Caption, "MODE +l");
    EXPECT_EQ(asked[0].Label1, "Limit\x81\x46");
    EXPECT_EQ(asked[0].EmptyMessage, 11);
    EXPECT_EQ(asked[0].Kind, 0);
    EXPECT_EQ(QueueB(), "MODE #c +l :20 \r\n4:");
    QueueB().clear();

    socket->Deliver(":srv 324 me #c +l 20\r\n");
    Open({});
    EXPECT_EQ(Entry(NickEntry::mode_k).caption, "+k...");
    answers = {{true, kBye}};
    menu.Click(NickEntry::mode_k);
    EXPECT_EQ(asked.back().Caption, "MODE +k");
    EXPECT_EQ(asked.back().EmptyMessage, 12);
    menu.Click(NickEntry::mode_l);
    EXPECT_EQ(QueueB(), "MODE #c +k :" + SjisToJis(kBye) + " \r\n4:MODE #c -l :\r\n4:");
}

TEST_F(NickMenuTest, InviteKickAndCtcpByteForByte) {
    Join(SjisToJis(kZatsudan), true);
    socket->Deliver(":me!u@h JOIN :#other\r\n");
    socket->Deliver(":bob!u@h PRIVMSG me :hi\r\n");  // a private window is no invitation target
    window = engine.FindChannel(0, SjisToJis(kZatsudan));
    ui.activeWindow[0] = window;
    QueueB().clear();
    const std::string wire = SjisToJis(kZatsudan);

    answers = {{true, kZatsudan}, {true, "carol"}};
    Open({"@a", "b"});
    menu.Click(NickEntry::invite);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Kind, 8);
    EXPECT_EQ(asked[0].EmptyMessage, 10);
    EXPECT_TRUE(asked[0].ComboVisible);
    EXPECT_EQ(asked[0].ComboItems, (std::vector<std::string>{kZatsudan, "#other"}));
    Open({});
    menu.Click(NickEntry::invite);
    EXPECT_EQ(asked[1].Kind, 7);
    EXPECT_EQ(asked[1].EmptyMessage, 13);
    EXPECT_TRUE(asked[1].Edit1ImeOff);
    EXPECT_EQ(QueueB(),
              "INVITE  a " + wire + "\r\n2:INVITE  b " + wire + "\r\n2:INVITE carol " + wire + "\r\n2:");
    QueueB().clear();

    settings.KickMessage = kBye;
    answers = {{true, kBye}, {true, ""}};
    Open({"@a"});
    menu.Click(NickEntry::kick);
    EXPECT_EQ(asked.back().Edit1Text, kBye);
    EXPECT_EQ(asked.back().Kind, 6);
    EXPECT_EQ(asked.back().EmptyMessage, -1);
    menu.Click(NickEntry::kick);
    EXPECT_EQ(QueueB(), "KICK " + wire + " a :" + SjisToJis(kBye) + "\r\n4:KICK " + wire + " a\r\n4:");
    QueueB().clear();

    Open({});
    menu.Click(NickEntry::CTCP_VERSION);
    Open({"@a", "b"});
    menu.Click(NickEntry::CTCP_PING);
    EXPECT_EQ(QueueB(), "PRIVMSG " + wire +
                            " :\x01VERSION\x01\r\n2:PRIVMSG a :\x01PING \r\n0:PRIVMSG b :\x01PING \r\n0:");
}

TEST_F(NickMenuTest, PrivOpensWindowsPastProtectionForThatOpeningOnly) {
    Join("#c", true);
    engine.ProtectionMode = true;
    settings.DefencePriv = true;

    Open({"@a", "b"});
    menu.Click(NickEntry::priv);
    EXPECT_GE(engine.FindChannel(0, "a"), 0);
    EXPECT_GE(engine.FindChannel(0, "b"), 0);
    ui.activeWindow[0] = window;

    answers = {{true, "carol"}, {true, "a"}};
    Open({});
    menu.Click(NickEntry::priv);
    EXPECT_EQ(asked.back().Caption, "PRIV");
    EXPECT_EQ(asked.back().Kind, 7);
    EXPECT_EQ(asked.back().EmptyMessage, 13);
    EXPECT_GE(engine.FindChannel(0, "carol"), 0);

    // "a" has a window already, so nothing opens; the permission must not
    // linger for the next stranger.
    ui.activeWindow[0] = window;
    menu.Click(NickEntry::priv);
    EXPECT_FALSE(engine.UserOpening);
    socket->Deliver(":stranger!u@h PRIVMSG me :hello\r\n");
    EXPECT_LT(engine.FindChannel(0, "stranger"), 0);
}

TEST_F(NickMenuTest, DccEntriesOfferToTheOneSelectedNickOnTheMenusSlot) {
    Join("#c", false);
    Open({"@bob"});
    menu.Click(NickEntry::DCC_CHAT);
    menu.Click(NickEntry::DCC_SEND);
    EXPECT_EQ(chats, std::vector<std::string>{"0bob"});
    EXPECT_EQ(files, std::vector<std::string>{"0bob"});
    Open({"a", "b"});
    menu.Click(NickEntry::DCC_CHAT);
    EXPECT_EQ(chats.size(), 1u);

    // Dropped files go to the member, each; not in a private window, nor while disconnected.
    std::vector<std::string> dropped;
    menu.OfferDroppedFile = [&](int, const std::string& nick, const std::string& path) {
        dropped.push_back(nick + path);
    };
    menu.DropFiles(0, window, "+bob", {"/x", "/y"});
    EXPECT_EQ(dropped, (std::vector<std::string>{"bob/x", "bob/y"}));
    socket->Deliver(":bob!u@h PRIVMSG me :hi\r\n");
    EXPECT_FALSE(menu.AcceptsDrop(0, engine.FindChannel(0, "bob"), "bob"));
    socket->FireDisconnect();
    EXPECT_FALSE(menu.AcceptsDrop(0, window, "@bob"));
}

}  // namespace
}  // namespace velmok::windows
