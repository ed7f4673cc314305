#include <gtest/gtest.h>

#include "ui/LineFormat.h"

namespace velmok::ui {
namespace {

using session::FontKind;
using Span = velmok::ui::Run;  // TEST bodies see testing::Test::Run

RunStyle Plain(FontKind f) {
    RunStyle s;
    s.base = f;
    return s;
}
RunStyle Over(Overlay o) {
    RunStyle s;
    s.overlay = o;
    return s;
}

// Text of the runs with the given overlay, in order.
std::vector<std::string> Marked(const StyledLine& line, Overlay overlay) {
    std::vector<std::string> out;
    for (const Run& r : line.runs)
        if (r.style.overlay == overlay) out.push_back(line.text.substr(r.begin, r.end - r.begin));
    return out;
}

// Runs must cover the text contiguously, and neighbours must differ.
void ExpectWellFormed(const StyledLine& line) {
    std::uint32_t at = 0;
    for (std::size_t i = 0; i < line.runs.size(); ++i) {
        const Run& r = line.runs[i];
        EXPECT_EQ(r.begin, at);
        EXPECT_LT(r.begin, r.end);
        if (i > 0) {
            EXPECT_FALSE(line.runs[i - 1].style == r.style);
        }
        at = r.end;
    }
    EXPECT_EQ(at, line.text.size());
}

FormattedLine Format(std::string_view text, FontKind font = FontKind::Private, bool copy = false,
                     std::string_view windowName = {}, const std::vector<std::string>* keywords = nullptr) {
    LineInput in;
    in.text = text;
    in.font = font;
    in.stamp = "09:05 ";
    in.keywords = keywords;
    in.markKeywords = keywords != nullptr;
    in.copyToAll = copy;
    in.serverName = "srv";
    in.windowName = windowName;
    FormattedLine out = FormatLine(in);
    ExpectWellFormed(out.view);
    if (copy) ExpectWellFormed(out.copy);
    return out;
}

TEST(LineFormat, PlainLineIsOneRunInTheCategoryFont) {
    FormattedLine out = Format("<bob> hi", FontKind::Notice);
    EXPECT_EQ(out.view.text, "09:05 <bob> hi");
    ASSERT_EQ(out.view.runs.size(), 1u);
    EXPECT_EQ(out.view.runs[0].style, Plain(FontKind::Notice));
    EXPECT_TRUE(out.copy.text.empty());
}

TEST(LineFormat, ControlCodesToggleAndDisappear) {
    FormattedLine out = Format(
        "\x02"
        "bold\x02 plain");
    EXPECT_EQ(out.view.text, "09:05 bold plain");
    ASSERT_EQ(out.view.runs.size(), 3u);
    RunStyle bold = Plain(FontKind::Private);
    bold.bold = true;
    EXPECT_EQ(out.view.runs[1], (Span{6, 10, bold}));
    EXPECT_EQ(out.view.runs[2], (Span{10, 16, Plain(FontKind::Private)}));

    // CTCP switches the base font; underline and italic add to it; 0x03 is kept.
    out = Format(
        "a\x01"
        "b\x1F"
        "c\x16"
        "d\x03"
        "e\x01\x1F\x16"
        "f",
        FontKind::Server);
    EXPECT_EQ(out.view.text,
              "09:05 abcd\x03"
              "ef");
    RunStyle ctcp = Plain(FontKind::CTCP);
    RunStyle ctcpU = ctcp;
    ctcpU.underline = true;
    RunStyle ctcpUI = ctcpU;
    ctcpUI.italic = true;
    std::vector<Span> expected = {{0, 7, Plain(FontKind::Server)},
                                  {7, 8, ctcp},
                                  {8, 9, ctcpU},
                                  {9, 12, ctcpUI},
                                  {12, 13, Plain(FontKind::Server)}};
    EXPECT_EQ(out.view.runs, expected);
}

TEST(LineFormat, ControlCodeFoundAtAnyPosition) {
    // Mixed with double-byte text so every byte offset of a word is tried.
    const std::string base = "ab\x93\xfa\x96{cdefgh\x8c\xeaijklmnopq";
    for (std::size_t at = 0; at <= base.size(); ++at) {
        for (char code : {'\x01', '\x02', '\x16', '\x1F'}) {
            std::string text = base;
            text.insert(at, 1, code);
            EXPECT_EQ(Format(text).view.text, "09:05 " + base) << at;
        }
        std::string withColour = base;
        withColour.insert(at, 1, '\x03');
        EXPECT_EQ(Format(withColour).view.runs.size(), 1u) << at;
    }
}

TEST(LineFormat, ControlCodesKeepDoubleByteCharactersWhole) {
    // 日本 in bold, then a lone lead byte before a code byte stays one byte.
    FormattedLine out = Format("\x02\x93\xfa\x96{\x02\x93\x02x");
    EXPECT_EQ(out.view.text, "09:05 \x93\xfa\x96{\x93x");
    ASSERT_EQ(out.view.runs.size(), 4u);
    EXPECT_EQ(out.view.runs[1].begin, 6u);
    EXPECT_EQ(out.view.runs[1].end, 10u);
    EXPECT_TRUE(out.view.runs[1].style.bold);
    EXPECT_EQ(out.view.runs[2].end, 11u);
    EXPECT_TRUE(out.view.runs[3].style.bold);
}

TEST(LineFormat, UrlMarking) {
    EXPECT_EQ(Marked(Format("see http://x.y/ now").view, Overlay::URL),
              std::vector<std::string>{"http://x.y/"});
    EXPECT_TRUE(Marked(Format("http:// x").view, Overlay::URL).empty());
    EXPECT_EQ(Marked(Format("HtTp://X").view, Overlay::URL), std::vector<std::string>{"HtTp://X"});
    EXPECT_EQ(Marked(Format("http://a/http://b").view, Overlay::URL), std::vector<std::string>{"http://b"});
    EXPECT_EQ(Marked(Format("go http://x.jp/\x93\xfa\x96{").view, Overlay::URL),
              std::vector<std::string>{"http://x.jp/"});
    EXPECT_EQ(Marked(Format("end https://a.b/c").view, Overlay::URL),
              std::vector<std::string>{"https://a.b/c"});
    EXPECT_EQ(Marked(Format("mail mailto:a@b ftp://f/ x").view, Overlay::URL),
              (std::vector<std::string>{"mailto:a@b", "ftp://f/"}));
    EXPECT_TRUE(Marked(Format("http://").view, Overlay::URL).empty());
    EXPECT_TRUE(Marked(Format("http:/x").view, Overlay::URL).empty());
}

TEST(LineFormat, UrlAtCaretReadsTheWholeUrlFromTheText) {
    const std::u16string line = u"12:34 <bob> see hTTp://www.example.org/a?b=1 \u65e5 mailto:x@y";
    auto at = [&](std::u16string_view part, std::size_t into) -> std::u16string {
        const auto url = UrlAtCaret(line, line.find(part) + into);
        return url ? line.substr(url->first, url->second - url->first) : u"-";
    };
    const std::u16string whole = u"hTTp://www.example.org/a?b=1";
    EXPECT_EQ(at(u"hTTp", 0), whole);  // on the first letter
    EXPECT_EQ(at(u"TTp:", 1), whole);  // inside the prefix
    EXPECT_EQ(at(u"example", 3), whole);
    EXPECT_EQ(at(u"?b=1", 3), whole);  // the last character
    EXPECT_EQ(at(u"mailto", 8), u"mailto:x@y");
    EXPECT_EQ(at(u" \u65e5", 0), u"-");  // the blank after the URL
    EXPECT_EQ(at(u"see", 1), u"-");
    EXPECT_EQ(at(u"<bob>", 2), u"-");
    EXPECT_EQ(UrlAtCaret(line, line.size()), std::nullopt);

    // A later prefix inside a URL starts the URL that a click behind it opens.
    const std::u16string two = u"x http://a/http://b";
    EXPECT_EQ(UrlAtCaret(two, two.find(u"a/")), std::make_pair(std::size_t{2}, two.size()));
    EXPECT_EQ(UrlAtCaret(two, two.size() - 1), std::make_pair(two.find(u"http://b"), two.size()));
    // A word after a URL is no part of it; a bare prefix is no URL.
    const std::u16string after = u"http://a b";
    EXPECT_EQ(UrlAtCaret(after, 9), std::nullopt);
    EXPECT_EQ(UrlAtCaret(u"http:// x", 2), std::nullopt);
}

TEST(LineFormat, UrlOverlayRespectsControlCodeRuns) {
    FormattedLine out = Format(
        "\x02"
        "b http://u\x02 z");
    EXPECT_EQ(out.view.text, "09:05 b http://u z");
    EXPECT_EQ(Marked(out.view, Overlay::URL), std::vector<std::string>{"http://u"});
    ASSERT_EQ(out.view.runs.size(), 4u);
    EXPECT_TRUE(out.view.runs[1].style.bold);
    EXPECT_EQ(out.view.runs[3].style, Plain(FontKind::Private));
}

TEST(LineFormat, KeywordMarking) {
    const std::vector<std::string> abc = {"abc"};
    FormattedLine out = Format("<bob> abcabc", FontKind::Private, false, {}, &abc);
    EXPECT_EQ(out.keywordHits, 1);
    EXPECT_EQ(out.view.runs[1], (Span{12, 15, Over(Overlay::Keyword)}));

    out = Format("<abcuser> abc abc", FontKind::Private, false, {}, &abc);
    EXPECT_EQ(out.keywordHits, 2);
    EXPECT_EQ(Marked(out.view, Overlay::Keyword).size(), 2u);
    EXPECT_EQ(out.view.runs[0], (Span{0, 16, Plain(FontKind::Private)}));

    EXPECT_EQ(Format("<bob> ABC", FontKind::Private, false, {}, &abc).keywordHits, 0);

    // Keywords in list order; a later one re-marks what an earlier one marked.
    const std::vector<std::string> two = {"ab", "b c", ""};
    out = Format("<x> ab c", FontKind::Private, false, {}, &two);
    EXPECT_EQ(out.keywordHits, 2);
    EXPECT_EQ(Marked(out.view, Overlay::Keyword), std::vector<std::string>{"ab c"});

    // Switched off: nothing counted.
    LineInput in;
    in.text = "<bob> abc";
    in.font = FontKind::Private;
    in.keywords = &abc;
    in.markKeywords = false;
    EXPECT_EQ(FormatLine(in).keywordHits, 0);
}

TEST(LineFormat, KeywordOnDoubleByteBoundaryOnly) {
    // "A" plus a lead byte must not match across the trail byte of ア and the lead byte of ソ.
    const std::vector<std::string> kw = {"\x41\x83"};
    FormattedLine out = Format("<b> \x83\x41\x83\x5c", FontKind::Private, false, {}, &kw);
    EXPECT_EQ(out.keywordHits, 0);
}

TEST(LineFormat, TheOwnNickIsMarkedAsAWordOfItsOwnInAnyCase) {
    LineInput in{"", FontKind::Private, "", nullptr, true, true, "", "#a"};
    in.ownNick = "Velmo";
    // Not as the sender, nor inside longer nicks or a double-byte character
    // (ア is 0x83 0x41); after Japanese and before punctuation it is a word.
    in.text = "<velmo> VELMO: hi velmos xvelmo \x83velmo \x83\x41velmo, (velmo)";
    FormattedLine out = FormatLine(in);
    EXPECT_EQ(Marked(out.view, Overlay::Keyword), (std::vector<std::string>{"VELMO", "velmo", "velmo"}));
    EXPECT_EQ(out.nickHits, 3);
    EXPECT_EQ(out.keywordHits, 3);
    EXPECT_EQ(Marked(out.copy, Overlay::Keyword).size(), 3u);
    in.markKeywords = false;
    EXPECT_EQ(FormatLine(in).nickHits, 0) << "only where keywords are looked for";
}

TEST(LineFormat, AllWindowCopyWithInsertedWindowName) {
    FormattedLine out = Format("<bob> hi", FontKind::Private, true, "#a");
    EXPECT_EQ(out.view.text, "09:05 <bob> hi");
    EXPECT_EQ(out.copy.text, "srv 09:05 <#a:bob> hi");
    ASSERT_EQ(out.copy.runs.size(), 1u);

    // Server window line: no insertion.
    out = Format("<bob> hi", FontKind::Server, true, "");
    EXPECT_EQ(out.copy.text, "srv 09:05 <bob> hi");

    // With control codes the copy gets the same characters, no insertion.
    out = Format("<bob> \x02hi", FontKind::Private, true, "#a");
    EXPECT_EQ(out.copy.text, "srv 09:05 <bob> hi");
    RunStyle bold = Plain(FontKind::Private);
    bold.bold = true;
    EXPECT_EQ(out.copy.runs.back(), (Span{16, 18, bold}));
}

TEST(LineFormat, AllWindowCopyShiftsMarks) {
    const std::vector<std::string> kw = {"me"};
    FormattedLine out = Format("<bob> http://x.y/ me", FontKind::Private, true, "#a", &kw);
    EXPECT_EQ(out.copy.text, "srv 09:05 <#a:bob> http://x.y/ me");
    EXPECT_EQ(Marked(out.copy, Overlay::URL), std::vector<std::string>{"http://x.y/"});
    EXPECT_EQ(Marked(out.copy, Overlay::Keyword), std::vector<std::string>{"me"});

    // A URL before the first "<" shifts only by the server name.
    out = Format("http://a <b", FontKind::Private, true, "#a");
    EXPECT_EQ(out.copy.text, "srv 09:05 http://a <#a:b");
    EXPECT_EQ(Marked(out.copy, Overlay::URL), std::vector<std::string>{"http://a"});

    // A URL spanning the insertion point takes the inserted name with it.
    out = Format("http://a<b c", FontKind::Private, true, "#a");
    EXPECT_EQ(out.copy.text, "srv 09:05 http://a<#a:b c");
    EXPECT_EQ(Marked(out.copy, Overlay::URL), std::vector<std::string>{"http://a<#a:b"});
}

TEST(LineFormat, CopyDecision) {
    EXPECT_FALSE(CopyToAllWindow(3, 5, "#a", "#a"));  // same name, other slot or index
    EXPECT_TRUE(CopyToAllWindow(3, 3, "#a", "#b"));
    EXPECT_FALSE(CopyToAllWindow(-1, -1, "", ""));  // server windows of two slots
    EXPECT_TRUE(CopyToAllWindow(-1, 0, "", "#a"));
    EXPECT_TRUE(CopyToAllWindow(0, -1, "#a", ""));
    EXPECT_TRUE(CopyToAllWindow(0, 1, "#a", "#A"));  // exact comparison
}

TEST(LineFormat, Helpers) {
    std::tm t{};
    t.tm_hour = 9;
    t.tm_min = 5;
    EXPECT_EQ(TimeStamp(t), "09:05 ");
    EXPECT_EQ(KeywordBeep(0), session::BeepKind::Default);
    EXPECT_EQ(KeywordBeep(48), session::BeepKind::Warning);
    EXPECT_FALSE(KeywordBeep(16).has_value());
    for (int i = 0; i < StyleCount; ++i) EXPECT_EQ(StyleIndex(StyleFromIndex(i)), i);
}

}  // namespace
}  // namespace velmok::ui
