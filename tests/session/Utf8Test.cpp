// Received UTF-8: recognised only when well-formed and free of ESC, converted
// to Shift-JIS like an independent converter does, and shown instead of mojibake.
#include <gtest/gtest.h>

#include "session/Codec.h"
#include "session/IconvConvert.h"
#include "session/SessionFixture.h"
#include "ui/Tabs.h"

namespace velmok::session {

namespace {

const std::string kGeta = "\x81\xac";  // 〓

}  // namespace

TEST(Utf8, EveryDoubleByteCharacterConvertsBackToTheSameCharacter) {
    int checked = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string sjis{static_cast<char>(lead), static_cast<char>(trail)};
            const auto utf8 = IconvConvert("UTF-8", "CP932", sjis);
            if (!utf8) continue;
            // Codes with the same character (NEC and IBM duplicates) may come
            // back as the other code; the character must be the same.
            EXPECT_EQ(IconvConvert("UTF-8", "CP932", Utf8ToShiftJis(*utf8)), utf8)
                << std::hex << lead << trail;
            ++checked;
        }
    }
    EXPECT_GT(checked, 7000);
}

TEST(Utf8, JapaneseTextConvertsAndWhatCp932LacksIsMarked) {
    const std::string text = "こんにちは、世界！ｶﾀｶﾅ ① ＡＢＣ #日本語 \x02太字\x02";
    EXPECT_TRUE(IsUtf8Text(text));
    EXPECT_EQ(Utf8ToShiftJis(text), Utf8ToSjis(text));  // against iconv
    // Dashes as other systems write them land on the code page's glyphs.
    EXPECT_EQ(Utf8ToShiftJis("〜−"), "\x81\x60\x81\x7c");
    // One mark per missing character; joiners and variation selectors vanish.
    EXPECT_EQ(Utf8ToShiftJis("a😀b❤️c👨‍👩"), "a" + kGeta + "b" + kGeta + "c" + kGeta + kGeta);
    // A broken byte inside text converted anyway is marked, not dropped.
    EXPECT_EQ(Utf8ToShiftJis("a\xff"
                             "b"),
              "a" + kGeta + "b");
}

TEST(Utf8, OnlyWellFormedUtf8WithoutEscIsTakenForIt) {
    EXPECT_FALSE(IsUtf8Text("plain ascii"));
    EXPECT_FALSE(IsUtf8Text(Utf8ToJis("日本語")));     // ISO-2022-JP
    EXPECT_FALSE(IsUtf8Text("日本 \x1b$B$\"\x1b(B"));  // UTF-8 mixed with ISO-2022-JP
    EXPECT_FALSE(IsUtf8Text("\xc0\x80"));              // over-long NUL
    EXPECT_FALSE(IsUtf8Text("\xed\xa0\x80"));          // a surrogate
    EXPECT_FALSE(IsUtf8Text("\xf4\x90\x80\x80"));      // above U+10FFFF
    EXPECT_FALSE(IsUtf8Text("\xe6\x97"));              // cut short
    // Ordinary Shift-JIS sentences never pass for UTF-8.
    for (const char* utf8 : {"こんにちは", "今日はいい天気ですね。", "カタカナとひらがな", "ｱｲｳｴｵ",
                             "了解です！", "明日の会議は十時からです", "漢字変換"})
        EXPECT_FALSE(IsUtf8Text(Utf8ToSjis(utf8))) << utf8;
    EXPECT_TRUE(IsUtf8Text("é"));
}

class Utf8DispatchTest : public SessionFixture {};

TEST_F(Utf8DispatchTest, Utf8LinesShowAsTextWhileChannelNamesStayAsReceived) {
    FakeClientSocket* socket = Register(0, "n");
    const std::string channel = "#日本";  // UTF-8 on the wire
    socket->Deliver(":n!u@h JOIN " + channel + "\r\n");
    const int window = engine.FindChannel(0, channel);
    ASSERT_GE(window, 0);
    EXPECT_EQ(engine.Channel(0, window).Name, channel);
    EXPECT_EQ(ui::TabCaption(channel), IconvConvert("CP932", "UTF-8", channel).value());

    socket->Deliver(":bob!u@h PRIVMSG " + channel + " :おはよう😀\r\n");
    socket->Deliver(":bob!u@h PRIVMSG " + channel + " :" + Utf8ToJis("おはよう") + "\r\n");
    socket->Deliver(":bob!u@h PART " + channel + " :またね\r\n");
    const std::vector<std::string> texts = ui.TextsIn(0, window);
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[texts.size() - 3], "<bob> " + IconvConvert("CP932", "UTF-8", "おはよう").value() + kGeta);
    EXPECT_EQ(texts[texts.size() - 2], "<bob> " + IconvConvert("CP932", "UTF-8", "おはよう").value());
    EXPECT_EQ(texts.back(), "bob PART (" + IconvConvert("CP932", "UTF-8", "またね").value() + ")");
    // Nothing we send changes: a reply still goes out in ISO-2022-JP.
    EXPECT_EQ(SjisToJis(IconvConvert("CP932", "UTF-8", "はい").value()), Utf8ToJis("はい"));
}

}  // namespace velmok::session
