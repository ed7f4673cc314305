#include "ui/StartRequests.h"

#include <cstdint>
#include <cstdio>

#include "config/Error.h"
#include "session/Engine.h"

namespace velmok::ui {

namespace {

constexpr const char* kHandOverHeader = "velmok-handover 1\n";
constexpr const char* kHandOverEnd = "end\n";
// A request holds a few short lines; anything longer is not ours.
constexpr std::size_t kMaxHandOver = 64 * 1024;

bool StartConnection(session::Engine& engine, int slot, const config::ConnectionProfile& profile) {
    session::FillSession(profile, engine.Session(slot));
    return engine.ConnectSession(slot);
}

}  // namespace

std::string ConnectProfileNumber(session::Engine& engine, const std::vector<config::ProfileFileEntry>& file,
                                 int number) {
    const std::string which = "profile " + std::to_string(number);
    if (number < 1 || number > static_cast<int>(file.size())) {
        return which + ": no such profile; Connections holds " + std::to_string(file.size());
    }
    const config::ProfileFileEntry& entry = file[static_cast<std::size_t>(number - 1)];
    if (!entry.Loaded) {
        std::string reason = which + " was dropped when the settings were read: field " +
                             config::ProfileFieldName(entry.FailedField) + " fails its check";
        if (entry.Message != 0) reason += ": " + config::ErrorText(entry.Message);
        return reason;
    }
    const int slot = engine.FirstFreeSlot();
    if (slot < 0) return which + ": all three server slots are busy";
    if (!StartConnection(engine, slot, entry.Profile))
        return which + ": the host " + entry.Profile.Host + " was not found";
    return {};
}

LinkOutcome ConnectLink(session::Engine& engine, const std::string& profileText, const IrcLink& link,
                        int& message) {
    message = 0;
    const std::vector<config::ConnectionProfile> profiles = config::ParseProfileText(profileText);
    if (profiles.empty()) return LinkOutcome::NeedsProfile;
    const int slot = engine.FirstFreeSlot();
    if (slot < 0) {
        message = kNoFreeSlot;
        return LinkOutcome::Refused;
    }
    // A failed host look-up has shown its own message already.
    StartConnection(engine, slot, LinkProfile(link, profiles.front()));
    return LinkOutcome::Connected;
}

std::string EncodeHandOver(const HandOver& request) {
    std::string bytes = kHandOverHeader;
    for (int number : request.Connects) bytes += "connect " + std::to_string(number) + "\n";
    for (const std::string& link : request.Links) {
        // A line break would split the request; such a link is no link anyway.
        if (link.find_first_of("\r\n") == std::string::npos) bytes += "link " + link + "\n";
    }
    return bytes + kHandOverEnd;
}

bool DecodeHandOver(const std::string& bytes, HandOver& request) {
    request = HandOver{};
    const std::string header = kHandOverHeader;
    if (bytes.size() > kMaxHandOver || !bytes.starts_with(header) || !bytes.ends_with(kHandOverEnd))
        return false;
    std::size_t at = header.size();
    const std::size_t end = bytes.size() - std::string(kHandOverEnd).size();
    while (at < end) {
        std::size_t lineEnd = bytes.find('\n', at);
        const std::string line = bytes.substr(at, lineEnd - at);
        at = lineEnd + 1;
        if (line.starts_with("link ")) {
            request.Links.push_back(line.substr(5));
        } else if (line.starts_with("connect ")) {
            const std::string digits = line.substr(8);
            if (digits.empty() || digits.size() > 3 ||
                digits.find_first_not_of("0123456789") != std::string::npos)
                return false;
            request.Connects.push_back(std::stoi(digits));
        } else {
            return false;
        }
    }
    return true;
}

std::string HandOverSocketName(const std::string& settingsFolder) {
    // FNV-1a: short, stable across runs and builds, and enough to tell folders apart.
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : settingsFolder) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char name[32];
    std::snprintf(name, sizeof name, "velmok-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

}  // namespace velmok::ui
