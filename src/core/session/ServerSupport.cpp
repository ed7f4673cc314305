// The server's 005 announcements (PREFIX, CHANTYPES, CHANMODES) and who is
// away: what servers tell us that changes how channels and members read.
#include <algorithm>
#include <string>

#include "session/LineHandlers.h"

namespace velmok::session {

using channels::FoldAscii;

namespace {

// "PREFIX=(qaohv)~&@%+": modes and marks of equal length; anything else is
// no announcement at all.
bool ParsePrefix(const std::string& value, std::string& modes, std::string& marks) {
    if (value.empty()) {
        modes.clear();
        marks.clear();
        return true;
    }
    const std::size_t close = value.find(')');
    if (value[0] != '(' || close == std::string::npos) return false;
    const std::string m = value.substr(1, close - 1), k = value.substr(close + 1);
    if (m.size() != k.size() || !std::all_of(k.begin(), k.end(), channels::IsMemberMark)) return false;
    modes = m;
    marks = k;
    return true;
}

// The comma-separated kinds of "CHANMODES=beI,k,l,imnpst".
void ParseChanModes(const std::string& value, ServerSupport& support) {
    std::string kinds[3];
    std::size_t pos = 0;
    for (std::string& kind : kinds) {
        if (pos > value.size()) break;
        const std::size_t comma = std::min(value.find(',', pos), value.size());
        kind = value.substr(pos, comma - pos);
        pos = comma + 1;
    }
    support.ListModes = kinds[0];
    support.ParamModes = kinds[1];
    support.SetParamModes = kinds[2];
    support.ChanModesAnnounced = true;
}

}  // namespace

void Engine::ApplyIsupport(int slot, const IrcMessage& m) {
    SlotState& s = slots_[slot];
    ServerSupport& support = s.Support;
    const std::string ranksBefore(support.SortRanks());
    // Field 3 on are the tokens; the last field is the reply's text.
    for (int i = 3; i <= 16 && !m[i].empty(); ++i) {
        const std::string& token = m[i];
        if (token.find(' ') != std::string::npos) break;
        const bool negated = token[0] == '-';
        const std::size_t equals = token.find('=');
        const std::string name = token.substr(negated ? 1 : 0, equals - (negated ? 1 : 0));
        const std::string value = equals == std::string::npos ? std::string() : token.substr(equals + 1);
        if (name == "PREFIX") {
            if (negated) {
                support.PrefixAnnounced = false;
                support.PrefixModes = "ov";
                support.PrefixMarks = "@+";
            } else if (ParsePrefix(value, support.PrefixModes, support.PrefixMarks)) {
                support.PrefixAnnounced = true;
            }
        } else if (name == "CHANTYPES") {
            support.ChanTypes = negated ? "#&+!" : value;
        } else if (name == "CHANMODES") {
            if (negated)
                support.ChanModesAnnounced = false;
            else
                ParseChanModes(value, support);
        }
    }
    if (support.SortRanks() == ranksBefore) return;
    // Lists already shown (a 005 that comes late) take the new order.
    const channels::MemberOrder order = MemberOrderOf(slot);
    for (int w = 0; w < WindowCount; ++w) {
        ChannelRecord& record = s.Channels[w];
        if (record.IsFree() || record.Members.empty()) continue;
        std::sort(record.Members.begin(), record.Members.end(), order);
        frontend_.MembersChanged(slot, w);
    }
}

bool Engine::IsChannel(int slot, const std::string& name) const {
    return channels::IsChannelName(name, slots_[slot].Support.ChanTypes);
}

bool Engine::IsAway(int slot, const std::string& nick) const {
    return slots_[slot].AwayNicks.count(FoldAscii(nick)) != 0;
}

void Engine::SetAway(int slot, const std::string& nick, bool away) {
    if (nick.empty()) return;
    SlotState& s = slots_[slot];
    const std::string folded = FoldAscii(nick);
    const bool changed = away ? s.AwayNicks.insert(folded).second : s.AwayNicks.erase(folded) != 0;
    if (!changed) return;
    for (int w = 0; w < WindowCount; ++w) {
        const ChannelRecord& record = s.Channels[w];
        if (record.IsFree()) continue;
        if (std::any_of(record.Members.begin(), record.Members.end(),
                        [&](const std::string& caption) { return channels::CaptionMatches(caption, nick); }))
            frontend_.MembersChanged(slot, w);
    }
}

Outcome LineHandlers::Isupport(Line& line) {
    line.engine.ApplyIsupport(line.slot, line.m);
    return Outcome::Show;
}

// ":nick!user@host AWAY :reason" goes away, a bare "AWAY" comes back. Only
// servers we asked for away-notify send it; the member list shows it.
Outcome LineHandlers::Away(Line& line) {
    line.engine.SetAway(line.slot, line.m[0], !line.m[2].empty());
    return Outcome::Stop;
}

}  // namespace velmok::session
