#include "cycle/IdleLock.h"

#include <algorithm>
#include <iterator>

namespace idle {

int ChoiceOf(std::optional<std::uint32_t> stored) {
    if (!stored) {
        return 0;
    }
    const auto* found =
        std::find(std::begin(kMinuteChoices), std::end(kMinuteChoices), static_cast<int>(*stored));
    return found != std::end(kMinuteChoices) ? *found : 0;
}

std::optional<std::uint64_t> TimeUntilLock(std::uint64_t lastInput, std::uint64_t now,
                                           int minutes) {
    if (minutes <= 0) {
        return std::nullopt;
    }
    const std::uint64_t idleFor = now > lastInput ? now - lastInput : 0;
    const std::uint64_t limit = static_cast<std::uint64_t>(minutes) * 60'000;
    return idleFor >= limit ? 0 : limit - idleFor;
}

} // namespace idle
