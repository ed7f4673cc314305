// The same Japanese text written on a slot whose server reads ISO-2022-JP and
// on one whose server reads UTF-8: every kind of text the client converts for
// a server, byte for byte.
#include <gtest/gtest.h>

#include <functional>

#include "inputbox/InputBox.h"
#include "session/Codec.h"
#include "session/SessionFixture.h"
#include "ui/InputLine.h"
#include "windows/ChannelInfo.h"
#include "windows/NickMenu.h"

namespace velmok::ui {
namespace {

using config::WireEncoding;
using session::FakeClientSocket;

const std::string kText = "\x93\xfa\x96\x7b\xb6\xde";  // 日本ｶﾞ (half-width ｶﾞ)
const std::string kChannel = "#\x93\xfa\x96\x7b";      // #日本
// What each server reads of them: slot 0 ISO-2022-JP (ｶﾞ widened to ガ), slot 1 UTF-8.
const std::string kTextWire[2] = {"\x1b$BF|K\\%,\x1b(B", "\xe6\x97\xa5\xe6\x9c\xac\xef\xbd\xb6\xef\xbe\x9e"};
const std::string kChannelWire[2] = {"#\x1b$BF|K\\\x1b(B", "#\xe6\x97\xa5\xe6\x9c\xac"};

class WireEncodingTest : public session::SessionFixture {
protected:
    FakeClientSocket* socket[2] = {};
    int window[2] = {};
    std::string registration[2], autoJoin[2];
    InputHistory history;
    windows::NickMenu menu{engine};
    std::string answer;  // what the nick menu's box is given

    void SetUp() override {
        settings.Encodings.Set("127.0.0.2", "6667", WireEncoding::Utf8);
        menu.AskInput = [this](const session::InputBoxRequest&, std::string& text) {
            text = answer;
            return true;
        };
        for (int s : {0, 1}) {
            session::ServerSession& session = engine.Session(s);
            session.ServerName = s == 0 ? "127.0.0.1" : "127.0.0.2";
            session.Port = 6667;
            session.Nick = "n";
            session.UserName = "u";
            session.RealName = session.Password = kText;
            session.AutoJoin = "1 " + kChannel + " " + kText + " ";
            ASSERT_TRUE(engine.ConnectSession(s));
            socket[s] = sockets.Last();
            socket[s]->FireConnect();
            registration[s] = socket[s]->TakeSent();
            socket[s]->Deliver(":srv 001 n :Welcome\r\n");
            autoJoin[s] = Written(s);
            const std::string& channel = kChannelWire[s];
            socket[s]->Deliver(":n!u@h JOIN :" + channel + "\r\n:srv 353 n = " + channel +
                               " :@n bob\r\n:srv 366 n " + channel + " :End\r\n");
            window[s] = engine.FindChannel(s, channel);
            ASSERT_GE(window[s], 0);
            Written(s);
        }
        EXPECT_EQ(engine.Encoding(0), WireEncoding::Iso2022Jp);
        EXPECT_EQ(engine.Encoding(1), WireEncoding::Utf8);
        ui.Clear();
    }

    // Everything the slot wrote since the last call: at once, then its
    // queues A, B and C, each line without its delay.
    std::string Written(int s) {
        std::string out = socket[s]->TakeSent();
        for (std::string* queue :
             {&engine.Slot(s).SendQueueA, &engine.Slot(s).SendQueueB, &engine.Slot(s).SendQueueC}) {
            for (std::size_t lf; (lf = queue->find('\n')) != std::string::npos;) {
                out += queue->substr(0, lf + 1);
                queue->erase(0, queue->find(':', lf) + 1);
            }
            queue->clear();
        }
        return out;
    }
    // The pattern with "@T" and "@C" as slot s writes kText and kChannel.
    static std::string Expected(int s, std::string pattern) {
        for (const auto& [mark, wire] : {std::pair{"@T", kTextWire[s]}, std::pair{"@C", kChannelWire[s]}})
            for (std::size_t at; (at = pattern.find(mark)) != std::string::npos;)
                pattern.replace(at, 2, wire);
        return pattern;
    }
    void Type(int s, int w, const std::string& line, InputMode mode = InputMode::Private) {
        ProcessInput(engine, s, w, mode, line, history);
    }
    void Box(int s, int kind, const std::string& first, const std::string& key = "") {
        inputbox::InputBoxState state;
        state.Kind = kind;
        state.Slot = s;
        inputbox::InputBoxFields fields;
        fields.edit1 = first;
        fields.key = key;
        EXPECT_EQ(inputbox::InputBoxOk(engine, state, fields), 0);
    }
    void Menu(int s, windows::NickEntry entry, const std::string& typed) {
        answer = typed;
        menu.Popup({s, window[s], {"bob"}});
        menu.Click(entry);
    }
};

TEST_F(WireEncodingTest, EveryKindOfSentTextIsWrittenInTheServersEncoding) {
    for (int s : {0, 1}) {
        SCOPED_TRACE(s);
        EXPECT_EQ(registration[s], Expected(s, "CAP LS 302\r\nPASS @T\r\nNICK n\r\nUSER u 0 * :@T\r\n"));
        EXPECT_EQ(autoJoin[s], Expected(s, "JOIN @C @T\r\n"));
    }

    struct Kind {
        const char* name;
        std::function<void(int s)> send;
        const char* written;
    };
    const std::vector<Kind> kinds = {
        {"typed line", [&](int s) { Type(s, window[s], kText); }, "PRIVMSG @C :@T\r\n"},
        {"notice mode", [&](int s) { Type(s, window[s], kText, InputMode::Notice); }, "NOTICE @C :@T\r\n"},
        {"action mode", [&](int s) { Type(s, window[s], kText, InputMode::Action); },
         "PRIVMSG @C :\x01"
         "ACTION @T\x01\r\n"},
        {"server window", [&](int s) { Type(s, session::ServerWindow, "PRIVMSG bob :" + kText); },
         "PRIVMSG bob :@T\r\n"},
        {"/msg", [&](int s) { Type(s, window[s], "/msg bob " + kText); }, "PRIVMSG bob :@T\r\n"},
        {"/join", [&](int s) { Type(s, window[s], "/join " + kChannel + " " + kText); }, "JOIN @C @T\r\n"},
        {"/part", [&](int s) { Type(s, window[s], "/part " + kChannel + " " + kText); }, "PART @C :@T\r\n"},
        {"/topic", [&](int s) { Type(s, window[s], "/topic " + kText); }, "TOPIC @C :@T\r\n"},
        {"/away", [&](int s) { Type(s, window[s], "/away " + kText); }, "AWAY :@T\r\n"},
        {"/ctcp", [&](int s) { Type(s, window[s], "/ctcp bob action " + kText); },
         "PRIVMSG bob :\x01"
         "ACTION @T\x01\r\n"},
        {"/raw", [&](int s) { Type(s, window[s], "/raw NOTICE bob :" + kText); }, "NOTICE bob :@T\r\n"},
        {"JOIN box", [&](int s) { Box(s, 1, kChannel, kText); }, "JOIN @C @T\r\n"},
        {"AWAY box", [&](int s) { Box(s, 4, kText); }, "AWAY :@T\r\n"},
        {"PART box with the part message",
         [&](int s) {
             settings.PartMessage = kText;
             Box(s, 2, kChannel);
         },
         "PART @C :@T\r\n"},
        {"channel properties",
         [&](int s) {
             windows::ChannelInfoState state = windows::ChannelInfoFromRecord(engine, s, window[s]);
             windows::ChannelInfoEdits edits;
             edits.modes = state.OldModes;
             edits.topic = edits.key = kText;
             edits.keyChecked = true;
             EXPECT_EQ(windows::ChannelInfoOk(engine, s, state, edits), 0);
         },
         "TOPIC @C :@T\r\nMODE @C +k :@T\r\n"},
        {"kick message", [&](int s) { Menu(s, windows::NickEntry::kick, kText); }, "KICK @C bob :@T\r\n"},
        {"invitation", [&](int s) { Menu(s, windows::NickEntry::invite, kChannel); }, "INVITE  bob @C\r\n"},
        {"nick-list command",
         [&](int s) { engine.QueueMemberCommand(s, {"@bob"}, "PRIVMSG", ":" + kText, 2); },
         "PRIVMSG bob :@T\r\n"},
        {"CTCP reply",
         [&](int s) {
             settings.ReplyUserInfo = true;
             settings.UserInfoMessage = kText;
             socket[s]->Deliver(":bob!u@h PRIVMSG n :\x01USERINFO\x01\r\n");
         },
         "NOTICE bob :\x01USERINFO @T\x01\r\n"},
        {"event trigger",
         [&](int s) {
             config::EventTrigger trigger;
             trigger.Trigger = "PRIVMSG";
             trigger.Command = "NOTICE %n :%2 " + kText;
             settings.Events = {trigger};
             socket[s]->Deliver(":bob!u@h PRIVMSG n :" + kTextWire[s] + "\r\n");
             settings.Events.clear();
         },
         "NOTICE bob :@T @T\r\n"},
        {"quit message",
         [&](int s) {
             settings.QuitMessage = kText;
             engine.SendQuit(s);
         },
         "QUIT :@T\r\n"},
        {"/quit", [&](int s) { Type(s, window[s], "/quit " + kText); }, "QUIT :@T\r\n"},
    };
    for (const Kind& kind : kinds) {
        for (int s : {0, 1}) {
            SCOPED_TRACE(std::string(kind.name) + " on slot " + std::to_string(s));
            kind.send(s);
            EXPECT_EQ(Written(s), Expected(s, kind.written));
        }
    }

    // The echo shows what the server passes on: ｶﾞ widened for ISO-2022-JP only.
    EXPECT_EQ(ui.TextsIn(0, window[0]).at(0), "<n> \x93\xfa\x96\x7b\x83\x4b");
    EXPECT_EQ(ui.TextsIn(1, window[1]).at(0), "<n> " + kText);
}

TEST_F(WireEncodingTest, OnlyWhatShiftJisLacksIsRefusedForAUtf8Server) {
    // ① and 髙 are vendor characters: no ISO-2022-JP, but UTF-8 carries them.
    const std::string typed = "\xe2\x91\xa0\xe9\xab\x99";
    EXPECT_EQ(session::ReadTyped(typed).Refused, (std::vector<char32_t>{0x2460, 0x9AD9}));
    const session::TypedText utf8 = session::ReadTyped(typed, WireEncoding::Utf8);
    EXPECT_TRUE(utf8.Refused.empty());
    Type(1, window[1], utf8.Sjis);
    EXPECT_EQ(Written(1), "PRIVMSG " + kChannelWire[1] + " :" + typed + "\r\n");
    // An emoji or Hangul has no Shift-JIS form to keep inside: refused on both.
    for (WireEncoding encoding : {WireEncoding::Iso2022Jp, WireEncoding::Utf8})
        EXPECT_EQ(session::ReadTyped("a\xf0\x9f\x98\x80\xea\xb0\x80", encoding).Refused,
                  (std::vector<char32_t>{0x1F600, 0xAC00}));
}

}  // namespace
}  // namespace velmok::ui
