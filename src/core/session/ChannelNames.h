#pragma once
// Name rules shared by the channel records, the member lists and whoever reads them.
#include <algorithm>
#include <string>
#include <string_view>

#include "base/Common.h"

namespace velmok::session::channels {

// Channel and nick names compare with only the ASCII letters folded; bytes of
// double-byte characters must never be touched.
inline std::string FoldAscii(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

inline bool SameName(const std::string& a, const std::string& b) { return base::SameAscii(a, b); }

// Whether c can be a member's status mark in front of a nick: ASCII
// punctuation that no nick begins with ("@", "+", "%", "~", "&" and the like).
// The letters, digits and "[\\]^_`{|}" that nicks begin with never are.
inline bool IsMemberMark(char c) { return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || c == '~'; }

// The status marks of a member caption ("@", "+", "@+" with multi-prefix), or empty.
inline std::string CaptionPrefix(const std::string& caption) {
    std::size_t n = 0;
    while (n < caption.size() && IsMemberMark(caption[n])) ++n;
    return caption.substr(0, n);
}

// The nick a caption stands for.
inline std::string CaptionNick(const std::string& caption) {
    return caption.substr(CaptionPrefix(caption).size());
}

// Whether a caption belongs to nick (case-sensitive), whatever marks it carries:
// members with any status must leave and rename like everyone else.
inline bool CaptionMatches(const std::string& caption, const std::string& nick) {
    return !nick.empty() && caption.size() >= nick.size() &&
           caption.compare(caption.size() - nick.size(), std::string::npos, nick) == 0 &&
           CaptionPrefix(caption).size() == caption.size() - nick.size();
}

// Member-list order as a user reads it: members with a mark first, by the
// rank of their first mark in `ranks` (the server's announced order; marks it
// does not rank count as none), then the rest, each group alphabetical with
// ASCII letters folded; captions equal but for case keep their byte order.
struct MemberOrder {
    std::string_view ranks;

    std::size_t Rank(const std::string& caption) const {
        if (caption.empty() || !IsMemberMark(caption[0])) return ranks.size();
        const std::size_t at = ranks.find(caption[0]);
        return at == std::string_view::npos ? ranks.size() : at;
    }

    bool operator()(const std::string& a, const std::string& b) const {
        const std::size_t rankA = Rank(a), rankB = Rank(b);
        if (rankA != rankB) return rankA < rankB;
        const std::size_t fromA = CaptionPrefix(a).size(), fromB = CaptionPrefix(b).size();
        const std::size_t lengthA = a.size() - fromA, lengthB = b.size() - fromB;
        for (std::size_t i = 0; i < std::min(lengthA, lengthB); ++i) {
            char x = a[fromA + i], y = b[fromB + i];
            if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
            if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
            if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        }
        if (lengthA != lengthB) return lengthA < lengthB;
        return a < b;
    }
};

// Ranks while a server has announced no PREFIX: "+" members, then "@"
// members, as the list has always read.
inline constexpr std::string_view kUnannouncedRanks = "+@";

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

// Whether name is a channel's: it begins with one of chanTypes (the server's
// CHANTYPES, "#&+!" while it has announced none).
inline bool IsChannelName(const std::string& name, std::string_view chanTypes = "#&+!") {
    return !name.empty() && chanTypes.find(name[0]) != std::string_view::npos;
}

}  // namespace velmok::session::channels
