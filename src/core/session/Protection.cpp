#include <algorithm>

#include "session/Engine.h"

namespace velmok::session {

// One set of counters serves all slots, so a burst spread over several
// servers still counts as one burst.
void Engine::CountEvent(int slot, const std::string& nick) {
    if (!ProtectionMode) {
        const std::uint32_t now = clock_.Tick();
        const auto interval = static_cast<std::uint32_t>(std::max(settings_.Interval, 0));
        // Modular difference: the tick counter wraps after about 49 days.
        if (now - FloodTick < interval) {
            ++FloodCount;
            if (FloodCount >= settings_.MaxReply) {
                ProtectionMode = true;
                frontend_.SetProtectionButton(true);
                frontend_.Beep(BeepKind::Warning);
            }
        } else {
            FloodCount = 0;
        }
        FloodTick = now;
        // The event that switched protection on is not looked up itself.
        return;
    }

    if (!settings_.DefenceWhois || nick.empty()) return;
    std::string& looked = slots_[slot].WhoisedNicks;
    const std::string entry = "<" + nick + ">";
    if (looked.find(entry) != std::string::npos) return;
    slots_[slot].SendQueueB += "WHOIS " + nick + "\r\n2:";
    looked += entry;
}

void Engine::Toggle() {
    if (!ProtectionMode) {
        ProtectionMode = true;
        frontend_.SetProtectionButton(true);
        return;
    }
    ProtectionMode = false;
    frontend_.SetProtectionButton(false);
    // A new protection period looks every offender up afresh.
    for (SlotState& s : slots_) s.WhoisedNicks.clear();
}

}  // namespace velmok::session
