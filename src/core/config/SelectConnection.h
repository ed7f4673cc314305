// What the connection picker decides: its entries and what OK does.
#pragma once

#include <string>
#include <vector>

#include "config/Profiles.h"

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

    // OK: 0 when a profile is chosen (the session is then filled from it),
    // else the message number 5.
    int Ok() const { return chosen_ >= 0 ? 0 : 5; }

private:
    std::vector<ConnectionProfile> profiles_;
    int chosen_ = -1;
};

}  // namespace velmok::config
