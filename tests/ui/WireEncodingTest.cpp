// The same Japanese text written for a server that reads ISO-2022-JP (slot 0)
// and for one that reads UTF-8 (slot 1), kind by kind, byte for byte.
#include <gtest/gtest.h>

#include <cctype>

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

class WireEncodingTest : public session::SessionFixture {};

TEST_F(WireEncodingTest, EveryKindOfSentTextIsWrittenInTheServersEncoding) {
    settings.Encodings.Set("127.0.0.2", "6667", WireEncoding::Utf8);
    settings.PartMessage = settings.AwayMessage = settings.QuitMessage = settings.UserInfoMessage = kText;
    settings.ReplyUserInfo = true;
    windows::NickMenu menu{engine};
    menu.AskInput = [](const session::InputBoxRequest&, std::string& text) {
        return !(text = kText).empty();
    };
    InputHistory history;
    for (int s : {0, 1}) {
        SCOPED_TRACE(s);
        engine.Session(s).AutoJoin = "1 #" + kText + " " + kText + " ";
        session::FakeClientSocket* socket = Register(s, "n", s == 0 ? "127.0.0.1" : "127.0.0.2");
        socket->Deliver(":n!u@h JOIN :#c\r\n:srv 353 n = #c :@n bob\r\n");
        const int window = engine.FindChannel(s, "#c");
        // What the slot wrote since the last look: at once, then its queues without the delays.
        auto written = [&, &q = engine.Slot(s)] {
            const std::string queued = std::exchange(q.SendQueueA, "") + std::exchange(q.SendQueueB, "") +
                                       std::exchange(q.SendQueueC, "");
            std::string lines;  // each entry's delay ("\r\n2:") taken off
            for (std::size_t i = 0; i < queued.size(); ++i) {
                lines += queued[i];
                if (queued[i] != '\n') continue;
                std::size_t j = i + 1;
                while (j < queued.size() && std::isdigit(static_cast<unsigned char>(queued[j]))) ++j;
                if (j > i + 1 && j < queued.size() && queued[j] == ':') i = j;
            }
            return socket->TakeSent() + lines;
        };
        auto type = [&](const auto& t) { ProcessInput(engine, s, window, InputMode::Private, t, history); };
        const std::string& w = kWire[s];
        EXPECT_EQ(written(), "JOIN #" + w + " " + w + "\r\nMODE #c\r\n");  // the auto-join line
        type(kText);
        EXPECT_EQ(written(), "PRIVMSG #c :" + w + "\r\n");
        EXPECT_EQ(ui.TextsIn(s, window).back(), s == 0 ? "<n> \x93\xfa\x96\x7b\x83\x4b" : "<n> " + kText);
        type("/join #" + kText + " " + kText);
        inputbox::InputBoxState box{1, s, -1, false, "", false};
        inputbox::InputBoxOk(engine, box, {"", -1, "#" + kText, kText});
        EXPECT_EQ(written(), "JOIN #" + w + " " + w + "\r\nJOIN #" + w + " " + w + "\r\n");
        windows::ChannelInfoState state = windows::ChannelInfoFromRecord(engine, s, window);
        windows::ChannelInfoOk(engine, s, state, {kText, state.OldModes, false, "", true, kText, {}});
        EXPECT_EQ(written(), "TOPIC #c :" + w + "\r\nMODE #c +k :" + w + "\r\n");
        type("/part"), type("/away");
        EXPECT_EQ(written(), "PART #c :" + w + "\r\nAWAY :" + w + "\r\n");
        menu.Popup({s, window, {"bob"}}), menu.Click(windows::NickEntry::kick);
        engine.QueueMemberCommand(s, {"@bob"}, "PRIVMSG", ":" + kText, 2);
        EXPECT_EQ(written(), "KICK #c bob :" + w + "\r\nPRIVMSG bob :" + w + "\r\n");
        socket->Deliver(":bob!u@h PRIVMSG n :\x01USERINFO\x01\r\n");
        engine.SendQuit(s);
        EXPECT_EQ(written(), "NOTICE bob :\x01USERINFO " + w + "\x01\r\nQUIT :" + w + "\r\n");
    }
    // For UTF-8 only what Shift-JIS lacks is refused: the vendor character ① goes out, an emoji not.
    const session::TypedText typed = session::ReadTyped("\xe2\x91\xa0\xf0\x9f\x98\x80", WireEncoding::Utf8);
    EXPECT_EQ(typed.Refused, std::vector<char32_t>{0x1F600});
    EXPECT_EQ(engine.ToWire(1, typed.Sjis), "\xe2\x91\xa0");
}

}  // namespace
}  // namespace velmok::ui
