// When a protected calendar locks itself after minutes without her keyboard
// or mouse: the choices she has, and the rule the window's timer asks. Times
// are milliseconds of one steady clock (the system's tick count).
#pragma once

#include <cstdint>
#include <optional>

namespace idle {

// The minutes she can choose; 0 is never, the default.
inline constexpr int kMinuteChoices[] = {0, 1, 5, 10, 15, 30, 60};

// The stored setting as one of the choices; anything else (a value set by
// hand, or none) is never.
int ChoiceOf(std::optional<std::uint32_t> stored);

// How long until the calendar locks: zero once due, nullopt when it never
// does. An input time after `now` (another clock's) counts as input now.
std::optional<std::uint64_t> TimeUntilLock(std::uint64_t lastInput, std::uint64_t now, int minutes);

inline bool ShouldLock(std::uint64_t lastInput, std::uint64_t now, int minutes) {
    return TimeUntilLock(lastInput, now, minutes) == std::uint64_t{0};
}

} // namespace idle
