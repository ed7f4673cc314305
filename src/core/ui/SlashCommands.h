#pragma once
// The client's own commands in the input line: "/me", "/msg", "/join" and the
// others users of every IRC client type without thinking. A "/" line whose
// word is none of them goes to the server raw, as it always has.
#include <string>

namespace velmok::session {
class Engine;
}

namespace velmok::ui {

// Runs the command `word` (as typed, any case) with its arguments `args`
// (escapes already expanded) for the window `window` (0..99, -1 the server
// window) of `slot`. False when the word is no command of the client's: the
// caller sends the line raw.
bool RunClientCommand(session::Engine& engine, int slot, int window, const std::string& word,
                      const std::string& args);

}  // namespace velmok::ui
