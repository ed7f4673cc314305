// The same Japanese text written for a server that reads ISO-2022-JP (slot 0)
// and for one that reads UTF-8 (slot 1), kind by kind, byte for byte.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <utility>

#include "inputbox/InputBox.h"
#include "session/Codec.h"
#include "session/SessionFixture.h"
#include "ui/InputLine.h"
#include "windows/ChannelInfo.h"
#include "windows/NickMenu.h"

namespace velmok::ui {
namespace {

using config::WireEncoding;

const std::string kText = "\x93\xfa\x96\x7b\xb6\xde";  // 日本ｶﾞ: ISO-2022-JP widens ｶﾞ to ガ
const std::string kWire[2] = {"\x1b$BF|K\\%,\x1b(B", "\xe6\x97\xa5\xe6\x9c\xac\xef\xbd\xb6\xef\xbe\x9e"};

class WireEncodingTest : public session::SessionFixture {
protected:
    session::FakeClientSocket* socket[2] = {};
    int window[2] = {};
    InputHistory history;
    windows::NickMenu menu{engine};

    void SetUp() override {
        settings.Encodings.Set("127.0.0.2", "6667", WireEncoding::Utf8);
        menu.AskInput = [](const session::InputBoxRequest&, std::string& text) {
            text = kText;
            return true;
        };
        for (int s : {0, 1}) {
            engine.Session(s).AutoJoin = "1 #" + kText + " " + kText + " ";
            socket[s] = Register(s, "n", s == 0 ? "127.0.0.1" : "127.0.0.2");
            socket[s]->Deliver(":n!u@h JOIN :#c\r\n:srv 353 n = #c :@n bob\r\n");
            window[s] = engine.FindChannel(s, "#c");
        }
        ui.Clear();
    }
    void Type(int s, const std::string& line) {
        ProcessInput(engine, s, window[s], InputMode::Private, line, history);
    }
    // What the slot wrote since the last call: at once, then queues A, B and C without the delays.
    std::string Written(int s) {
        session::SlotState& q = engine.Slot(s);
        const std::string queued = std::exchange(q.SendQueueA, "") + std::exchange(q.SendQueueB, "") +
                                   std::exchange(q.SendQueueC, "");
        return socket[s]->TakeSent() + std::regex_replace(queued, std::regex("\r\n[0-9]+:"), "\r\n");
    }
};

TEST_F(WireEncodingTest, EveryKindOfSentTextIsWrittenInTheServersEncoding) {
    settings.PartMessage = settings.AwayMessage = settings.QuitMessage = settings.UserInfoMessage = kText;
    settings.ReplyUserInfo = true;
    const std::vector<std::pair<std::function<void(int s)>, std::string>> kinds = {
        // The auto-join line, then the queries of the channel joined.
        {[](int) {}, "JOIN #@T @T\r\nMODE #c"},
        {[&](int s) { Type(s, kText); }, "PRIVMSG #c :@T"},
        {[&](int s) { Type(s, "/join #" + kText + " " + kText); }, "JOIN #@T @T"},
        {[&](int s) {
             inputbox::InputBoxState box{1, s, -1, false, "", false};
             inputbox::InputBoxOk(engine, box, {"", -1, "#" + kText, kText});
         },
         "JOIN #@T @T"},
        {[&](int s) {
             windows::ChannelInfoState state = windows::ChannelInfoFromRecord(engine, s, window[s]);
             windows::ChannelInfoOk(engine, s, state, {kText, state.OldModes, false, "", true, kText, {}});
         },
         "TOPIC #c :@T\r\nMODE #c +k :@T"},
        {[&](int s) { Type(s, "/part"), Type(s, "/away"); }, "PART #c :@T\r\nAWAY :@T"},
        {[&](int s) {
             menu.Popup({s, window[s], {"bob"}}), menu.Click(windows::NickEntry::kick);
         },
         "KICK #c bob :@T"},
        {[&](int s) { engine.QueueMemberCommand(s, {"@bob"}, "PRIVMSG", ":" + kText, 2); },
         "PRIVMSG bob :@T"},
        {[&](int s) { socket[s]->Deliver(":bob!u@h PRIVMSG n :\x01USERINFO\x01\r\n"); },
         "NOTICE bob :\x01USERINFO @T\x01"},
        {[&](int s) { engine.SendQuit(s); }, "QUIT :@T"},
    };
    for (const auto& [send, pattern] : kinds) {
        for (int s : {0, 1}) {
            SCOPED_TRACE(pattern + " on slot " + std::to_string(s));
            send(s);
            std::string expected = pattern + "\r\n";
            for (std::size_t at; (at = expected.find("@T")) != std::string::npos;)
                expected.replace(at, 2, kWire[s]);
            EXPECT_EQ(Written(s), expected);
        }
    }
    // The echo shows what the server passes on.
    EXPECT_EQ(ui.TextsIn(0, window[0]).at(0), "<n> \x93\xfa\x96\x7b\x83\x4b");
    EXPECT_EQ(ui.TextsIn(1, window[1]).at(0), "<n> " + kText);

    // For UTF-8 only what Shift-JIS lacks is refused: the vendor character ① goes out, an emoji not.
    const session::TypedText typed = session::ReadTyped("\xe2\x91\xa0\xf0\x9f\x98\x80", WireEncoding::Utf8);
    EXPECT_EQ(typed.Refused, std::vector<char32_t>{0x1F600});
    EXPECT_EQ(engine.ToWire(1, typed.Sjis), "\xe2\x91\xa0");
}

}  // namespace
}  // namespace velmok::ui
