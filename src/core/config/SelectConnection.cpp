#include "config/SelectConnection.h"

namespace velmok::config {

SelectConnection::SelectConnection(const std::string& profileText)
    : profiles_(ParseProfileText(profileText)), chosen_(profiles_.empty() ? -1 : 0) {}

std::vector<std::string> SelectConnection::Entries() const {
    std::vector<std::string> entries;
    entries.reserve(profiles_.size());
    for (const ConnectionProfile& p : profiles_) entries.push_back(p.Host + ":" + p.Port);
    return entries;
}

void SelectConnection::Choose(int index) {
    chosen_ = index >= 0 && static_cast<std::size_t>(index) < profiles_.size() ? index : -1;
}

const ConnectionProfile* SelectConnection::ChosenProfile() const {
    return chosen_ >= 0 ? &profiles_[chosen_] : nullptr;
}

}  // namespace velmok::config
