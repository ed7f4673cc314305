#pragma once
// Name rules shared by the channel records, the member lists and whoever reads them.
#include <algorithm>
#include <string>

namespace velmok::session::channels {

// Channel and nick names compare with only the ASCII letters folded; bytes of
// double-byte characters must never be touched.
inline std::string FoldAscii(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

inline bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// The status mark of a member caption: "@" (operator), "+" (voice) or empty.
inline std::string CaptionPrefix(const std::string& caption) {
    if (!caption.empty() && (caption[0] == '@' || caption[0] == '+')) return caption.substr(0, 1);
    return {};
}

// The nick a caption stands for.
inline std::string CaptionNick(const std::string& caption) {
    return caption.substr(CaptionPrefix(caption).size());
}

// Whether a caption belongs to nick (case-sensitive). NAMES lists voiced
// members as "+nick"; they must leave and rename like everyone else, so one
// leading "@" or "+" is ignored. Nicks never begin with either character.
inline bool CaptionMatches(const std::string& caption, const std::string& nick) {
    return caption == nick ||
           (!CaptionPrefix(caption).empty() && caption.compare(1, std::string::npos, nick) == 0);
}

// Member-list order as a user reads it: "+" members, then "@" members, then
// the rest (the marks sort as they always have), each group alphabetical with
// ASCII letters folded; names equal but for case keep their byte order.
inline bool MemberBefore(const std::string& a, const std::string& b) {
    const std::string markA = CaptionPrefix(a), markB = CaptionPrefix(b);
    if (markA != markB) return markA.empty() ? false : (markB.empty() || markA < markB);
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = markA.size(); i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

// Whether a JOIN of `typed`, as the user wrote it, reaches the channel the
// server calls `full`. Besides the same name: a safe channel is named "!", a
// five-character id and its short name, and "!" with the short name joins it;
// "!!" with the short name asks for a new one, never the one already there.
inline bool JoinReaches(const std::string& typed, const std::string& full) {
    if (SameName(typed, full)) return true;
    constexpr std::size_t kIdLength = 5;
    if (typed.size() < 2 || typed[0] != '!' || typed[1] == '!' || full.size() != typed.size() + kIdLength ||
        full[0] != '!')
        return false;
    for (std::size_t i = 1; i <= kIdLength; ++i)
        if (!((full[i] >= 'A' && full[i] <= 'Z') || (full[i] >= '0' && full[i] <= '9'))) return false;
    return SameName(typed.substr(1), full.substr(1 + kIdLength));
}

inline bool IsChannelName(const std::string& name) {
    return !name.empty() && (name[0] == '#' || name[0] == '&' || name[0] == '+' || name[0] == '!');
}

}  // namespace velmok::session::channels
