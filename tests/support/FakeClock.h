#pragma once
#include <cstdint>
#include <ctime>

#include "session/Clock.h"

namespace velmok::session {

// A clock the test sets by hand: the millisecond tick and the local time.
class FakeClock : public Clock {
public:
    std::uint32_t tick = 1000;
    std::tm now = MakeTime(2024, 1, 2, 12, 34, 56);

    std::uint32_t Tick() override { return tick; }
    std::tm LocalTime() override { return now; }

    // Moves the tick on (wrapping like the real counter) and the wall clock with it.
    void Advance(std::uint32_t ms) {
        tick += ms;
        now.tm_sec += static_cast<int>(ms / 1000);
        std::mktime(&now);  // normalises the carried seconds
    }

    static std::tm MakeTime(int year, int month, int day, int hour, int minute, int second) {
        std::tm t{};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = hour;
        t.tm_min = minute;
        t.tm_sec = second;
        t.tm_isdst = -1;
        std::mktime(&t);
        return t;
    }
};

}  // namespace velmok::session
