#include "ui/NickCompletion.h"

#include <algorithm>

#include "session/ChannelNames.h"

namespace velmok::ui {

namespace sc = session::channels;

std::string NickCompletion::WithNick(std::size_t index) const {
    return head_ + matches_[index] + (head_.empty() ? ": " : "");
}

std::optional<std::string> NickCompletion::Complete(const std::string& beforeCaret,
                                                    const std::vector<std::string>& members, bool backwards) {
    // A Tab right after a completion moves on to the next match.
    if (active_ && beforeCaret == last_ && !matches_.empty()) {
        const std::size_t n = matches_.size();
        index_ = backwards ? (index_ + n - 1) % n : (index_ + 1) % n;
        last_ = WithNick(index_);
        return last_;
    }
    active_ = false;
    // A blank is never part of a double-byte character, so this cut is safe.
    const std::size_t blank = beforeCaret.rfind(' ');
    const std::size_t start = blank == std::string::npos ? 0 : blank + 1;
    const std::string word = sc::FoldAscii(beforeCaret.substr(start));
    if (word.empty()) return std::nullopt;

    std::vector<std::string> matches;
    for (const std::string& caption : members) {
        const std::string nick = sc::CaptionNick(caption);
        if (nick.empty() || !sc::FoldAscii(nick).starts_with(word)) continue;
        if (std::none_of(matches.begin(), matches.end(), [&](const std::string& m) { return m == nick; }))
            matches.push_back(nick);
    }
    if (matches.empty()) return std::nullopt;
    std::stable_sort(matches.begin(), matches.end(), [](const std::string& a, const std::string& b) {
        return sc::FoldAscii(a) < sc::FoldAscii(b);
    });

    active_ = true;
    head_ = beforeCaret.substr(0, start);
    matches_ = std::move(matches);
    index_ = backwards ? matches_.size() - 1 : 0;
    last_ = WithNick(index_);
    return last_;
}

}  // namespace velmok::ui
