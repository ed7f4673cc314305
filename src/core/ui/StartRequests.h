// Connections asked for from outside the window: --connect N, irc:// links,
// and the requests a second start of the program hands to the running one.
#pragma once

#include <string>
#include <vector>

#include "config/Profiles.h"
#include "ui/IrcLink.h"

namespace velmok::session {
class Engine;
}

namespace velmok::ui {

// Connects profile `number` (1-based, counted as the "Connections" file lists
// its profiles, loaded or not) into the first free slot. Empty when the
// connection was started; otherwise why not, in Shift-JIS: no such profile,
// the profile was dropped at start (the field and its check's message), or
// all three slots busy.
std::string ConnectProfileNumber(session::Engine& engine, const std::vector<config::ProfileFileEntry>& file,
                                 int number);

enum class LinkOutcome { Connected, NeedsProfile, Refused };

// Starts the link's connection in the first free slot with the identity of the
// first profile of profileText. Refused sets `message` to the error number
// (kNoFreeSlot); NeedsProfile: there is no profile to take the
// identity from.
LinkOutcome ConnectLink(session::Engine& engine, const std::string& profileText, const IrcLink& link,
                        int& message);

// What one start of the program asks of the running one.
struct HandOver {
    std::vector<int> Connects;
    std::vector<std::string> Links;
    bool operator==(const HandOver&) const = default;
};

std::string EncodeHandOver(const HandOver& request);
// False when the bytes are not one whole request.
bool DecodeHandOver(const std::string& bytes, HandOver& request);

// The file name of the hand-over socket of one settings folder: the same
// folder gives the same name, different folders different names.
std::string HandOverSocketName(const std::string& settingsFolder);

}  // namespace velmok::ui
