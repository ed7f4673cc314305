#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "platform/QtClock.h"

namespace velmok::platform {
namespace {

TEST(QtClockTest, TickCountsMillisecondsAndLocalTimeIsNow) {
    QtClock clock;
    const std::uint32_t before = clock.Tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const std::uint32_t elapsed = clock.Tick() - before;  // modular, like the engine
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 2000u);

    const std::time_t now = std::time(nullptr);
    std::tm expected{};
    localtime_r(&now, &expected);
    const std::tm got = clock.LocalTime();
    EXPECT_EQ(got.tm_year, expected.tm_year);
    EXPECT_EQ(got.tm_yday, expected.tm_yday);
    EXPECT_NEAR(got.tm_hour * 3600 + got.tm_min * 60 + got.tm_sec,
                expected.tm_hour * 3600 + expected.tm_min * 60 + expected.tm_sec, 2);
}

}  // namespace
}  // namespace velmok::platform
