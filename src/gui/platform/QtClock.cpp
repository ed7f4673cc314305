#include "platform/QtClock.h"

#include <chrono>
#include <ctime>

namespace velmok::platform {

std::uint32_t QtClock::Tick() {
    // steady_clock counts from boot on Linux, like the tick count it stands for.
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms.count()));
}

std::tm QtClock::LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return parts;
}

}  // namespace velmok::platform
