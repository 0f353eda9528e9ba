// The display scale of a window (its dpi over 96) and how the program's
// 100 % geometry maps onto it. Edges are rounded, not sizes, so that windows
// that meet at 100 % still meet at every scale.
#pragma once

#include <array>

#include "cycle/MonthModel.h"

class DisplayScale {
public:
    static constexpr int kBaseDpi = 96;
    // The scales the pictures are rendered at, in percent, smallest first.
    static constexpr std::array<int, 4> kPictureScales = {100, 150, 200, 300};

    constexpr DisplayScale() = default;
    // Any dpi below 96 counts as 96: the pictures are never drawn smaller
    // than they were laid out.
    explicit constexpr DisplayScale(int dpi) : dpi_(dpi < kBaseDpi ? kBaseDpi : dpi) {}

    constexpr int Dpi() const { return dpi_; }
    constexpr bool IsBase() const { return dpi_ == kBaseDpi; }

    // Where an edge at `x` (100 % pixels) falls at this scale: x * dpi / 96,
    // rounded half up.
    constexpr int Edge(int x) const {
        const long long twice = 2LL * x * dpi_ + kBaseDpi;
        const long long denominator = 2LL * kBaseDpi;
        return static_cast<int>(twice >= 0 ? twice / denominator
                                           : -((-twice + denominator - 1) / denominator));
    }
    // A length measured from an edge at `from`.
    constexpr int Length(int from, int length) const { return Edge(from + length) - Edge(from); }
    // A font's height at this scale, rounded down: a text never grows more
    // than the room the rounded edges give it.
    constexpr int FontHeight(int pixels) const {
        return static_cast<int>(static_cast<long long>(pixels) * dpi_ / kBaseDpi);
    }
    constexpr Rect Of(const Rect& rect) const {
        return {Edge(rect.left), Edge(rect.top), Edge(rect.right), Edge(rect.bottom)};
    }

    // The smallest rendered scale that is at least this one (the largest
    // when none is): pictures are drawn down from it, never up.
    constexpr int PicturePercent() const {
        for (const int percent : kPictureScales) {
            if (percent * kBaseDpi >= dpi_ * 100) {
                return percent;
            }
        }
        return kPictureScales.back();
    }

    friend constexpr bool operator==(const DisplayScale&, const DisplayScale&) = default;

private:
    int dpi_ = kBaseDpi;
};
