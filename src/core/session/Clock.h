#pragma once
#include <cstdint>
#include <ctime>

namespace velmok::session {

// Time as the engine sees it. The millisecond tick is an unsigned 32-bit
// counter that wraps, like the system's milliseconds-since-boot counter; all
// arithmetic on it is modular. Tests drive both values by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t Tick() = 0;
    // Local wall-clock time, broken down.
    virtual std::tm LocalTime() = 0;
    // A moment (seconds since 1970, UTC) in local time, broken down.
    virtual std::tm LocalTimeOf(std::time_t moment) {
        std::tm local{};
        localtime_r(&moment, &local);
        return local;
    }
};

}  // namespace velmok::session
