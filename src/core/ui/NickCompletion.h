// Tab completion of nicks in the input line.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace velmok::ui {

// Completes the word before the caret from a channel's members, and cycles
// through the matches on repeated Tabs. Text is Shift-JIS.
class NickCompletion {
public:
    // One Tab (backwards: Shift+Tab) with the text before the caret and the
    // member captions of the current channel ("@" and "+" marks allowed).
    // Gives the new text before the caret (the text after it stays), or
    // nothing when there is nothing to complete. Nicks match the word's start
    // without regard to ASCII case; a word at the start of the line gets ": ".
    std::optional<std::string> Complete(const std::string& beforeCaret,
                                        const std::vector<std::string>& members, bool backwards);
    // Any other key ends the cycle.
    void Reset() { active_ = false; }

private:
    std::string WithNick(std::size_t index) const;

    bool active_ = false;
    std::string head_;  // the text before the completed word
    std::vector<std::string> matches_;
    std::size_t index_ = 0;
    std::string last_;  // what the last Tab left before the caret
};

}  // namespace velmok::ui
