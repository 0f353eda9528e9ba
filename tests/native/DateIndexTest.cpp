#include "cycle/DateIndex.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <random>
#include <set>

namespace {

// What the index must answer, from an ordered set of the supported keys.
struct Reference {
    std::set<DateKey> dates;

    void Toggle(DateKey key) {
        if (!IsSupportedDate(key)) {
            return;
        }
        if (!dates.erase(key)) {
            dates.insert(key);
        }
    }
    std::optional<DateKey> LastBefore(DateKey key) const {
        const auto next = dates.lower_bound(key);
        return next == dates.begin() ? std::nullopt : std::optional<DateKey>(*std::prev(next));
    }
};

void Toggle(DateIndex& index, DateKey key) {
    if (index.Contains(key)) {
        index.Erase(key);
    } else {
        index.Insert(key);
    }
}

void ExpectSame(const DateIndex& index, const Reference& reference) {
    EXPECT_EQ(index.Empty(), reference.dates.empty());
    const auto first =
        reference.dates.empty() ? std::nullopt : std::optional<DateKey>(*reference.dates.begin());
    const auto last =
        reference.dates.empty() ? std::nullopt : std::optional<DateKey>(*reference.dates.rbegin());
    EXPECT_EQ(index.First(), first);
    EXPECT_EQ(index.Last(), last);
}

TEST(DateIndexTest, EdgesOfTheSupportedRange) {
    DateIndex index;
    EXPECT_EQ(index.First(), std::nullopt);
    EXPECT_EQ(index.LastBefore(0xFFFFFFFF), std::nullopt);

    const DateKey first = MakeDateKey(1900, 1, 1);
    const DateKey last = MakeDateKey(9999, 12, 31);
    index.Insert(first);
    index.Insert(last);
    EXPECT_EQ(index.First(), first);
    EXPECT_EQ(index.Last(), last);

    struct Case {
        DateKey key;
        std::optional<DateKey> before;
    };
    const Case cases[] = {
        {0, std::nullopt},
        {first, std::nullopt},
        {first + 1, first},
        {last, first},
        {last + 1, last},
        {MakeDateKey(9999, 13, 0), last},
        {MakeDateKey(10000, 0, 0), last},
        {0xFFFFFFFF, last},
        {MakeDateKey(1899, 255, 255), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(index.LastBefore(c.key), c.before) << std::hex << c.key;
    }
}

TEST(DateIndexTest, IgnoresKeysThatAreNoSupportedDates) {
    DateIndex index;
    for (const DateKey key :
         {MakeDateKey(2006, 0, 1), MakeDateKey(2006, 13, 1), MakeDateKey(2006, 1, 0),
          MakeDateKey(2006, 1, 32), MakeDateKey(1899, 12, 31), MakeDateKey(10000, 1, 1), 0u}) {
        index.Insert(key);
        EXPECT_FALSE(index.Contains(key)) << std::hex << key;
    }
    EXPECT_TRUE(index.Empty());
}

// Keys drawn near month and year boundaries and far out, so that every level of
// the bitmap and every kind of unsupported key is crossed.
TEST(DateIndexTest, AgreesWithAnOrderedSetUnderRandomToggles) {
    std::mt19937 random(7);
    const auto draw = [&](int kind) -> DateKey {
        switch (kind % 4) {
        case 0:
            return MakeDateKey(std::uniform_int_distribution<int>(1890, 2020)(random),
                               std::uniform_int_distribution<int>(0, 14)(random),
                               std::uniform_int_distribution<int>(0, 40)(random));
        case 1:
            return MakeDateKey(std::uniform_int_distribution<int>(1900, 9999)(random),
                               std::uniform_int_distribution<int>(1, 12)(random),
                               std::uniform_int_distribution<int>(1, 31)(random));
        case 2:
            return std::uniform_int_distribution<DateKey>()(random);
        default:
            return MakeDateKey(std::uniform_int_distribution<int>(9990, 10001)(random),
                               std::uniform_int_distribution<int>(11, 13)(random),
                               std::uniform_int_distribution<int>(29, 33)(random));
        }
    };
    DateIndex index;
    Reference reference;
    for (int step = 0; step < 20000; ++step) {
        const DateKey key = draw(step);
        Toggle(index, key);
        reference.Toggle(key);
        const DateKey probe = draw(step / 3);
        ASSERT_EQ(index.Contains(probe), reference.dates.contains(probe)) << std::hex << probe;
        ASSERT_EQ(index.LastBefore(probe), reference.LastBefore(probe)) << std::hex << probe;
        if (step % 1000 == 0) {
            ExpectSame(index, reference);
        }
    }
    ExpectSame(index, reference);

    // Emptying it again, one key at a time, keeps the summary levels right.
    while (!reference.dates.empty()) {
        const DateKey key = *reference.dates.begin();
        index.Erase(key);
        reference.dates.erase(key);
        ExpectSame(index, reference);
    }
    index.Clear();
    EXPECT_TRUE(index.Empty());
}

} // namespace
