#include "cycle/IdleLock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace {

constexpr std::uint64_t kMinute = 60'000;

TEST(IdleLockTest, LocksOnceTheChosenMinutesPassWithoutInput) {
    struct Case {
        std::uint64_t lastInput;
        std::uint64_t now;
        int minutes;
        std::optional<std::uint64_t> left;
    } cases[] = {
        {0, 0, 0, std::nullopt},                // never
        {0, 100 * kMinute, 0, std::nullopt},    // never, however long
        {1000, 1000, 5, 5 * kMinute},           // input just now
        {1000, 1000 + 5 * kMinute - 1, 5, 1},   // a millisecond short
        {1000, 1000 + 5 * kMinute, 5, 0},       // due to the millisecond
        {1000, 1000 + 50 * kMinute, 5, 0},      // long past
        {5 * kMinute, 2 * kMinute, 1, kMinute}, // input "after" now: as if now
        {UINT64_MAX - kMinute, UINT64_MAX, 60, 59 * kMinute},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lastInput << " " << c.now << " " << c.minutes);
        EXPECT_EQ(idle::TimeUntilLock(c.lastInput, c.now, c.minutes), c.left);
        EXPECT_EQ(idle::ShouldLock(c.lastInput, c.now, c.minutes), c.left == std::uint64_t{0});
    }
}

TEST(IdleLockTest, StoredSettingIsOneOfTheChoicesOrNever) {
    for (const int minutes : idle::kMinuteChoices) {
        EXPECT_EQ(idle::ChoiceOf(static_cast<std::uint32_t>(minutes)), minutes);
    }
    for (const std::optional<std::uint32_t> odd :
         {std::optional<std::uint32_t>(), std::optional<std::uint32_t>(7),
          std::optional<std::uint32_t>(0xFFFFFFFFu), std::optional<std::uint32_t>(61)}) {
        EXPECT_EQ(idle::ChoiceOf(odd), 0);
    }
}

} // namespace
