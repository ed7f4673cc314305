#pragma once
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/Frontend.h"

namespace velmok::ui {

// A font laid over a run after the text was written. An overlaid run is shown
// entirely in the overlay's font (Font_URL or Font_Keyword); its base and
// toggles are then cleared so neighbouring overlaid runs merge.
enum class Overlay : std::uint8_t { None, URL, Keyword };

// How one run of a line is shown. Without an overlay: the font of `base` with
// bold, underline and italic added where set (the font's own attributes stay).
struct RunStyle {
    session::FontKind base = session::FontKind::Private;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    Overlay overlay = Overlay::None;
    bool operator==(const RunStyle&) const = default;
};

// Dense numbering of the styles for a shared style table:
// base * 8 + (bold | underline << 1 | italic << 2), then URL, then Keyword.
constexpr int StyleCount = session::FontKindCount * 8 + 2;
int StyleIndex(const RunStyle& style);
RunStyle StyleFromIndex(int index);

// Byte range [begin, end) of a StyledLine's text. Runs never split a
// double-byte Shift-JIS character (a stray lead byte stands alone).
struct Run {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    RunStyle style;
    bool operator==(const Run&) const = default;
};

// One line as it is appended to a view: Shift-JIS text without line break and
// runs that cover it contiguously from 0 to text.size(), adjacent runs always
// differing in style.
struct StyledLine {
    std::string text;
    std::vector<Run> runs;
    void clear() {
        text.clear();
        runs.clear();
    }
};

struct LineInput {
    std::string_view text;   // Shift-JIS, no stamp, no line break, maybe control codes
    session::FontKind font;  // the category
    std::string_view stamp;  // "hh:mm "
    const std::vector<std::string>* keywords = nullptr;
    bool markKeywords = false;
    bool copyToAll = false;
    std::string_view serverName;  // caption of the slot's server tab
    // Shift-JIS name of a channel or private window, inserted into the
    // all-window copy as "<name:nick>"; empty for a server window.
    std::string_view windowName;
    // False writes the text as it is, control bytes and all (DCC chat lines).
    bool controlCodes = true;
    // The own nick, marked like a keyword where the keywords are (ASCII case
    // ignored, only as a word of its own); empty marks nothing.
    std::string_view ownNick = {};
};

struct FormattedLine {
    StyledLine view;
    StyledLine copy;      // the all-window line; empty unless copyToAll
    int keywordHits = 0;  // the own nick's included
    int nickHits = 0;
};

// The line for the target view and, when asked, for the all-window. The
// overload with an output argument reuses its buffers, so a window that keeps
// one FormattedLine allocates nothing in the steady state.
FormattedLine FormatLine(const LineInput& input);
void FormatLine(const LineInput& input, FormattedLine& out);

// Whether a line for targetWindow goes into the all-window while shownWindow
// is looked at. Windows are 0..99 or -1 for a server window; names are the
// records' names. Slots are deliberately not compared.
bool CopyToAllWindow(int targetWindow, int shownWindow, const std::string& targetName,
                     const std::string& shownName);

// "hh:mm " of a local time.
std::string TimeStamp(const std::tm& time);

// The sound for one keyword hit by the Beep setting; none for other values.
std::optional<session::BeepKind> KeywordBeep(int beepSetting);

// The URL a click at caret (characters before it) opens, as [begin, end) of
// one shown line, or nothing. It is read from the text, not from the marking
// (a keyword inside a URL splits its styled runs): from the character after
// the caret back to a URL prefix (ASCII case ignored), then forward over the
// characters "!" to "~". That character must be one of those, and a prefix
// with nothing after it is no URL.
std::optional<std::pair<std::size_t, std::size_t>> UrlAtCaret(std::u16string_view line, std::size_t caret);

}  // namespace velmok::ui
