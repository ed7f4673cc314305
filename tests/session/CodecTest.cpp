#include <gtest/gtest.h>

#include <array>

#include "session/Codec.h"
#include "session/IconvConvert.h"

namespace velmok::session {

namespace {

const std::string kToDouble = "\x1b$B";
const std::string kToSingle = "\x1b(B";

std::string Jis(const std::string& pairs) { return kToDouble + pairs + kToSingle; }

// Compatibility decomposition of U+FF61..U+FF9F (halfwidth katakana block),
// except that the two voicing marks map to their spacing forms U+309B/U+309C:
// the combining forms have no code page 932 character.
constexpr std::array<char32_t, 63> kHalfToFull = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,
};

// Decodes the one three-byte UTF-8 character in s.
char32_t DecodeUtf8(const std::string& s) {
    EXPECT_EQ(s.size(), 3u);
    return static_cast<char32_t>(((s[0] & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
}

}  // namespace

TEST(Codec, EveryJisX0208CellMatchesIconvBothWays) {
    int cells = 0;
    for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
            const std::string jis = Jis({static_cast<char>(j1), static_cast<char>(j2)});
            const auto sjis = IconvConvert("CP932", "ISO-2022-JP", jis);
            if (!sjis) continue;
            const auto back = IconvConvert("ISO-2022-JP", "CP932", *sjis);
            if (!back || *back != jis) continue;
            ++cells;
            ASSERT_EQ(SjisToJis(*sjis), jis) << std::hex << j1 << ' ' << j2;
            ASSERT_EQ(JisToSjis(jis), *sjis) << std::hex << j1 << ' ' << j2;
        }
    }
    // JIS X 0208 holds 6879 characters; a handful differ in their Unicode mapping.
    EXPECT_GT(cells, 6800);
}

TEST(Codec, MixedTextMatchesIconv) {
    const std::string utf8 =
        "\xe3\x81\x93\xe3\x82\x93\xe3\x81\xab\xe3\x81\xa1\xe3\x81\xaf world "  // こんにちは
        "\xe6\xbc\xa2\xe5\xad\x97#\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88";       // 漢字#テスト
    const std::string sjis = Utf8ToSjis(utf8);
    const std::string jis = Utf8ToJis(utf8);
    EXPECT_EQ(SjisToJis(sjis), jis);
    EXPECT_EQ(JisToSjis(jis), sjis);
    EXPECT_EQ(SjisToJis("plain ascii"), "plain ascii");
    EXPECT_EQ(JisToSjis("plain ascii"), "plain ascii");
}

TEST(Codec, HiraganaARoundTripsByteForByte) {
    const std::string wire = "\x1b$B\x24\x22\x1b(B";
    ASSERT_EQ(wire.size(), 8u);  // ESC $ B, one pair, ESC ( B
    const std::string a = JisToSjis(wire);
    EXPECT_EQ(a, Utf8ToSjis("\xe3\x81\x82"));  // あ
    EXPECT_EQ(SjisToJis(a), wire);
}

TEST(Codec, OlderDesignationsAreAccepted) {
    const std::string a = Utf8ToSjis("\xe3\x81\x82");  // あ
    EXPECT_EQ(JisToSjis("\x1b$@\x24\x22\x1b(Bx"), a + "x");
    EXPECT_EQ(JisToSjis("\x1b$B\x24\x22\x1b(Jx"), a + "x");
    EXPECT_EQ(JisToSjis("\x1b$@\x24\x22\x1b(Jx"), a + "x");
}

TEST(Codec, UnknownEscapesStayData) {
    // ESC (I (JIS X 0201 katakana) and ESC $(D (JIS X 0212) are not ours.
    EXPECT_EQ(JisToSjis("a\x1b(Ib"), "a\x1b(Ib");
    EXPECT_EQ(JisToSjis("a\x1b$(Db"), "a\x1b$(Db");
    // A cut-off escape at the end is plain data too.
    EXPECT_EQ(JisToSjis("a\x1b$"), "a\x1b$");
}

TEST(Codec, BrokenDoubleByteDataIsDroppedNotCopied) {
    const std::string a = Utf8ToSjis("\xe3\x81\x82");  // あ
    // An odd last byte in double-byte mode.
    EXPECT_EQ(JisToSjis("\x1b$B\x24\x22\x24"), a);
    // A pair outside 0x21..0x7E.
    EXPECT_EQ(JisToSjis("\x1b$B\x24\x22\x01\x24\x24\x22\x1b(B"), a + a);
    EXPECT_EQ(JisToSjis("\x1b$B\x80\xff\x1b(Bok"), "ok");
}

TEST(Codec, SjisToJisBracketsEachRunOnce) {
    const std::string aa = Utf8ToSjis("\xe3\x81\x82\xe3\x81\x82");  // ああ
    EXPECT_EQ(SjisToJis("x" + aa + "y" + aa), "x" + Jis("\x24\x22\x24\x22") + "y" + Jis("\x24\x22\x24\x22"));
    EXPECT_EQ(SjisToJis(""), "");
}

TEST(Codec, CharactersOutsideJisX0208) {
    // Only JIS X 0208 goes on the wire: NEC row 13 (circled digits), the
    // NEC-selected IBM rows and the user-defined area are left out. Row 13
    // received from peers that send it is still shown.
    const std::string circledOne = Utf8ToSjis("\xe2\x91\xa0");  // ①
    EXPECT_EQ(SjisToJis("a" + circledOne + "z"), "az");
    EXPECT_EQ(SjisToJis("a\xed\x40z"), "az");
    EXPECT_EQ(JisToSjis(Jis("\x2d\x21")), circledOne);
    EXPECT_EQ(JisToSjis(SjisToJis("a\xf0\x40z")), "az");
    EXPECT_EQ(JisToSjis(SjisToJis("a\xfc\xfcz")), "az");
}

TEST(Codec, TypedTextTakesInputMethodFormsAndRefusesWhatTheWireCannotCarry) {
    // ‖ ¢ £ ¬ — ¥ as Linux input methods give them, then ｱ and ～ as code
    // page 932 has them; a joiner shows nothing and goes.
    TypedText typed = ReadTyped(
        "\xe2\x80\x96\xc2\xa2\xc2\xa3\xc2\xac\xe2\x80\x94\xc2\xa5\xef\xbd\xb1\xe2\x80\x8d\xef\xbd\x9e");
    EXPECT_TRUE(typed.Refused.empty());
    EXPECT_EQ(SjisToJis(typed.Sjis), Jis("!B!q!r\x22L!=!o%\x22!A"));
    // € 髙 ① ㈱ 한 𠮷 😀 €: none of them is JIS X 0208; each is named once.
    typed = ReadTyped(
        "a\xe2\x82\xac\xe9\xab\x99\xe2\x91\xa0\xe3\x88\xb1\xed\x95\x9c\xf0\xa0\xae\xb7\xf0\x9f\x98\x80\xe2"
        "\x82\xac");
    EXPECT_EQ(typed.Refused,
              (std::vector<char32_t>{0x20AC, 0x9AD9, 0x2460, 0x3231, 0xD55C, 0x20BB7, 0x1F600}));
    // 髙 is shown with the NEC-selected code (0xEEE0) of the table.
    EXPECT_EQ(RefusedText(typed.Refused),
              Utf8ToSjis("送信できない文字が含まれています：U+20AC、") + "\xee\xe0" +
                  Utf8ToSjis("(U+9AD9)、①(U+2460)、㈱(U+3231)、U+D55C、U+20BB7、U+1F600"));
}

TEST(Codec, BrokenShiftJisKeepsFollowingText) {
    // A lead byte at the end, or before a byte that cannot be a trail byte.
    EXPECT_EQ(JisToSjis(SjisToJis("ab\x82")), "ab");
    EXPECT_EQ(JisToSjis(SjisToJis("\x82 x")), " x");
    // Bytes no code page 932 character uses pass through.
    EXPECT_EQ(SjisToJis("\x80\xa0\xfd"), "\x80\xa0\xfd");
}

TEST(WidenKana, EveryHalfWidthByteBecomesItsFullWidthForm) {
    for (int b = 0xA1; b <= 0xDF; ++b) {
        const std::string half(1, static_cast<char>(b));
        const char32_t cp = DecodeUtf8(IconvConvert("UTF-8", "CP932", half).value());
        ASSERT_GE(cp, 0xFF61u);
        ASSERT_LE(cp, 0xFF9Fu);
        const std::string full = Utf8ToSjis(Utf8(kHalfToFull[cp - 0xFF61]));
        EXPECT_EQ(WidenKana(half), full) << std::hex << b;
        EXPECT_EQ(WidenKana(half + "x"), full + "x") << std::hex << b;
    }
}

TEST(WidenKana, VoicingMarksCombineWithTheByteBefore) {
    // ｶ..ﾄ and ﾊ..ﾎ with ﾞ, ﾊ..ﾎ with ﾟ, ｳ with ﾞ.
    const std::string voiced = Utf8ToSjis(
        "\xe3\x82\xac\xe3\x82\xae\xe3\x82\xb0\xe3\x82\xb2\xe3\x82\xb4"    // ガギグゲゴ
        "\xe3\x82\xb6\xe3\x82\xb8\xe3\x82\xba\xe3\x82\xbc\xe3\x82\xbe"    // ザジズゼゾ
        "\xe3\x83\x80\xe3\x83\x82\xe3\x83\x85\xe3\x83\x87\xe3\x83\x89"    // ダヂヅデド
        "\xe3\x83\x90\xe3\x83\x93\xe3\x83\x96\xe3\x83\x99\xe3\x83\x9c");  // バビブベボ
    const std::string semiVoiced =
        Utf8ToSjis("\xe3\x83\x91\xe3\x83\x94\xe3\x83\x97\xe3\x83\x9a\xe3\x83\x9d");  // パピプペポ
    std::string halfVoiced;
    for (int b = 0xB6; b <= 0xC4; ++b) halfVoiced += {static_cast<char>(b), '\xde'};
    for (int b = 0xCA; b <= 0xCE; ++b) halfVoiced += {static_cast<char>(b), '\xde'};
    std::string halfSemi;
    for (int b = 0xCA; b <= 0xCE; ++b) halfSemi += {static_cast<char>(b), '\xdf'};
    EXPECT_EQ(WidenKana(halfVoiced), voiced);
    EXPECT_EQ(WidenKana(halfSemi), semiVoiced);
    EXPECT_EQ(WidenKana("\xb3\xde"), Utf8ToSjis("\xe3\x83\xb4"));  // ヴ
    EXPECT_EQ(WidenKana("\xb6"), Utf8ToSjis("\xe3\x82\xab"));      // カ
}

TEST(WidenKana, MarksThatDoNotCombineStandAlone) {
    EXPECT_EQ(WidenKana("\xb1\xde"), Utf8ToSjis("\xe3\x82\xa2\xe3\x82\x9b"));  // ア゛
    EXPECT_EQ(WidenKana("\xb6\xdf"), Utf8ToSjis("\xe3\x82\xab\xe3\x82\x9c"));  // カ゜
    EXPECT_EQ(WidenKana("\xde\xb6"), Utf8ToSjis("\xe3\x82\x9b\xe3\x82\xab"));  // ゛カ
    // Only the byte directly before a mark takes it.
    EXPECT_EQ(WidenKana("\xb6\xde\xde"), Utf8ToSjis("\xe3\x82\xac\xe3\x82\x9b"));  // ガ゛
    // A trail byte in the katakana range belongs to its double-byte character.
    const std::string ji = Utf8ToSjis("\xe3\x81\x98");  // じ (trail byte 0xB6)
    ASSERT_EQ(ji, "\x82\xb6");
    EXPECT_EQ(WidenKana(ji + "\xde"), ji + Utf8ToSjis("\xe3\x82\x9b"));
}

TEST(Codec, SjisToJisWidensFirst) {
    EXPECT_EQ(SjisToJis("\xb6\xde!"), Utf8ToJis("\xe3\x82\xac!"));  // ガ!
}

}  // namespace velmok::session
