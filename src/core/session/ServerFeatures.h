#pragma once
// What a server tells us about itself on one connection: the IRCv3
// capabilities agreed on, the SASL login, and its 005 announcements. Servers
// that say none of it leave everything at the values the client has always
// assumed.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "config/Sasl.h"

namespace velmok::session {

using config::SaslMechanism;

// The capability negotiation of one connection.
struct CapabilityState {
    enum class Phase {
        Off,             // not asked for (the setting is off), or over
        Listing,         // CAP LS sent, the list is coming
        Requesting,      // CAP REQ sent, waiting for ACK or NAK
        Authenticating,  // AUTHENTICATE under way
    };
    Phase Step = Phase::Off;
    std::uint32_t StartTick = 0;  // when CAP LS went out
    bool EndSent = false;         // CAP END went out: registration may go on
    // Offered capabilities, name to value ("" when none), from LS and NEW.
    std::map<std::string, std::string> Offered;
    std::set<std::string> Enabled;
    int Requests = 0;  // CAP REQs without their ACK or NAK yet

    // The login this connection wants, from the profile's [SASL] entry.
    SaslMechanism Sasl = SaslMechanism::None;
    bool SaslFinished = false;  // succeeded or failed; said so once
    // The client certificate for EXTERNAL could not be loaded: why (Shift-JIS).
    std::string CertificateProblem;

    bool Has(const std::string& name) const { return Enabled.count(name) != 0; }
};

// The server's 005 (ISUPPORT) announcements that change how lines are read.
struct ServerSupport {
    // PREFIX: member modes and their marks, highest first. Until announced,
    // only operators ("@") and voiced members ("+") are known.
    bool PrefixAnnounced = false;
    std::string PrefixModes = "ov";
    std::string PrefixMarks = "@+";
    // CHANTYPES: the first characters of channel names.
    std::string ChanTypes = "#&+!";
    // CHANMODES: modes that take a parameter, by kind; until announced the
    // mode walk keeps its fixed rules.
    bool ChanModesAnnounced = false;
    std::string ListModes;      // always a parameter (b, e, I)
    std::string ParamModes;     // always a parameter (k)
    std::string SetParamModes;  // a parameter only when set (l)

    // The mark of a member mode letter, or 0. Until PREFIX is announced only
    // "o" has one; a voice changes no caption.
    char MarkOf(char mode) const {
        if (!PrefixAnnounced) return mode == 'o' ? '@' : '\0';
        const std::size_t at = PrefixModes.find(mode);
        return at == std::string::npos || at >= PrefixMarks.size() ? '\0' : PrefixMarks[at];
    }
    // The order of marks in member lists.
    std::string_view SortRanks() const { return PrefixAnnounced ? std::string_view(PrefixMarks) : "+@"; }
    // Whether marks make a channel operator: "@", or a mark ranked above it.
    bool IsOperator(const std::string& marks) const {
        const std::size_t op = PrefixMarks.find('@');
        for (char c : marks) {
            if (c == '@') return true;
            const std::size_t at = PrefixMarks.find(c);
            if (PrefixAnnounced && op != std::string::npos && at != std::string::npos && at < op) return true;
        }
        return false;
    }
};

}  // namespace velmok::session
