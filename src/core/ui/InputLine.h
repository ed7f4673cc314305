#pragma once
#include <optional>
#include <string>
#include <vector>

namespace velmok::session {
class Engine;
}

namespace velmok::ui {

enum class InputMode { Private, Notice, Action };

// "|" escapes of typed text: "||" gives "|", "|xHH" the byte HH (two hex
// digits, either case) except 00, 0A and 0D, which stay as typed; anything
// else stays unchanged. Double-byte Shift-JIS characters are passed over
// whole, so a trail byte that happens to be "|" never starts an escape.
std::string ExpandEscapes(const std::string& text);

// The last lines typed, oldest first, with the recall position used by the
// arrow keys (0 .. size; size means "past the newest line").
class InputHistory {
public:
    static constexpr std::size_t Capacity = 20;

    // Drops the oldest line when full, appends, and moves past the newest.
    void Add(const std::string& line);
    // Up arrow: the line to show, or nothing when already at the oldest.
    std::optional<std::string> Up();
    // Down arrow: the line to show (empty once past the newest), or nothing
    // when already past the newest.
    std::optional<std::string> Down();

    const std::vector<std::string>& Lines() const { return lines_; }
    std::size_t Position() const { return position_; }

private:
    std::vector<std::string> lines_;
    std::size_t position_ = 0;
};

// What the change handler of the input line does with its text.
struct InputChange {
    // Complete non-empty lines to pass to ProcessInput, in order.
    std::vector<std::string> lines;
    // The text to leave in the input line.
    std::string remainder;
    // True when the input line's text must be replaced by remainder; false
    // while the user is just typing (no line break), so the caret stays put.
    bool replace = false;
};

// Splits the input line's text at line breaks. CR LF ends a line; so does a
// bare LF, because the editors of the window system insert LF for Enter and
// for pasted line breaks. A lone CR is kept as text.
InputChange SplitInput(const std::string& text);

// How the own line is echoed: an ACTION typed into one window reads
// "nick text", everything else (a global ACTION included) "<nick> text";
// Addressed, for a message to someone without a window of their own, reads
// "<target:nick> text", the way a stranger's line to a channel without a
// window is shown.
enum class Echo { ByMode, Bracketed, Addressed };

// Echoes typed text into the window and queues the line of the mode for
// target (wire form) on SendQueueA.
void SendByMode(session::Engine& engine, int slot, int window, InputMode mode, const std::string& target,
                const std::string& text, Echo echo = Echo::ByMode);

// Handles one line typed into the window `window` (0..99, -1 the server
// window) of `slot`: history, "/" commands, "/G", escapes, and the echo and
// queueing by mode. Outgoing lines go to SendQueueA with the delay 2.
void ProcessInput(session::Engine& engine, int slot, int window, InputMode mode, const std::string& text,
                  InputHistory& history);

// Typed text holding characters the wire cannot carry is not sent: the window
// gets an Error line naming them, with the warning beep, and the text stays
// where it was typed.
void RefuseInput(session::Engine& engine, int slot, int window, const std::vector<char32_t>& refused);

}  // namespace velmok::ui
