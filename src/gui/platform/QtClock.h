#pragma once
#include "session/Clock.h"

namespace velmok::platform {

// The system's clocks: a monotonic millisecond counter since boot, truncated
// to 32 bits so it wraps like the engine expects, and the local time.
class QtClock : public session::Clock {
public:
    std::uint32_t Tick() override;
    std::tm LocalTime() override;
};

}  // namespace velmok::platform
