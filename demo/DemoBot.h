// The companion of the demo: a user on the local server who waits in the demo
// channel, greets whoever joins in Japanese and answers now and then.
#pragma once

#include <string>
#include <vector>

namespace velmok::demo {

class DemoBot {
public:
    static constexpr const char* kNick = "sakura";
    // #デモ in Shift-JIS.
    static constexpr const char* kChannelSjis = "#\x83\x66\x83\x82";

    // NICK, USER and JOIN, each ended by CR LF.
    std::string Registration() const;

    // One line from the server without its CR LF: the lines to send back (with
    // CR LF). Notes for the console (ASCII) are appended to notes.
    std::vector<std::string> OnLine(const std::string& line, std::vector<std::string>& notes);

    // The parting line, ended by CR LF.
    std::string Quit() const;

private:
    std::string Say(const std::string& sjisText) const;

    int heard_ = 0;
};

}  // namespace velmok::demo
