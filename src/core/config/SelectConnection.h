// What the connection picker decides: its entries and what OK does.
#pragma once

#include <string>
#include <vector>

#include "config/Profiles.h"

namespace velmok::session {
struct ServerSession;
}

namespace velmok::config {

class SelectConnection {
public:
    explicit SelectConnection(const std::string& profileText);

    // One entry per profile, Host + ":" + Port, in list order.
    std::vector<std::string> Entries() const;
    // The chosen entry, -1 when there is none (no profiles).
    int Chosen() const { return chosen_; }
    void Choose(int index);
    // The chosen profile; nullptr when none is chosen.
    const ConnectionProfile* ChosenProfile() const;

    // OK: fills the session from the chosen profile and returns 0; with no
    // entry chosen returns 5 and leaves the session as it was.
    int Ok(session::ServerSession& session) const;

private:
    std::vector<ConnectionProfile> profiles_;
    int chosen_ = -1;
};

}  // namespace velmok::config
