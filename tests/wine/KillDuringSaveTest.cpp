// The real program killed without warning while it saves 100,000 marks, at
// moments drawn from a fixed seed: half of the kills come within a few
// milliseconds after a temporary file appears, the others anywhere in the
// first 60 ms after a click. Whatever the moment, the data file holds the old
// or the new state whole, the next start shows it, and no temporary file is
// left once the next start has read the file.
//
// LUNABEL_KILLS sets how many kills (a few here; tests/e2e/kill-during-save.sh
// runs hundreds), LUNABEL_KILL_SEED the seed. The counts are printed.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "ManyMarks.h"
#include "ProgramProcessSupport.h"
#include "cycle/DateKey.h"

namespace {

using namespace programtest;

constexpr int kDefaultKills = 6;
constexpr std::uint32_t kDefaultSeed = 20061215;
constexpr std::size_t kMarks = 100000;

unsigned long EnvironmentNumber(const char* name, unsigned long fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtoul(value, nullptr, 10) : fallback;
}

Bytes FileWith(std::vector<DateKey> keys) {
    std::sort(keys.begin(), keys.end());
    return FileBytes().Good().Opts(28, 5, 1).Days(keys).bytes;
}

int Temporaries(const std::wstring& dataPath) {
    int count = 0;
    for (const std::wstring& name : FilesBeside(dataPath)) {
        count += name.starts_with(FileName(dataPath) + L".tmp") ? 1 : 0;
    }
    return count;
}

// Busy, for a precision Sleep does not have.
void SpinFor(LONGLONG microseconds) {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    LARGE_INTEGER now{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    do {
        ::QueryPerformanceCounter(&now);
    } while ((now.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart < microseconds);
}

DateKey Today() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return MakeDateKey(now.wYear, now.wMonth, now.wDay);
}

class KillDuringSave : public RealDataFileTest {};

} // namespace

TEST_F(KillDuringSave, EveryStartFindsAWholeStateAndNoTemporariesPileUp) {
    const auto kills = static_cast<int>(EnvironmentNumber("LUNABEL_KILLS", kDefaultKills));
    const auto seed =
        static_cast<std::uint32_t>(EnvironmentNumber("LUNABEL_KILL_SEED", kDefaultSeed));
    std::printf("kills: %d, seed: %u\n", kills, seed);
    std::mt19937 random(seed);

    // Each click on today flips between the two states.
    std::vector<DateKey> marks = ManyMarks(kMarks);
    const DateKey today = Today();
    const Bytes without = FileWith(marks);
    marks.push_back(today);
    const Bytes with = FileWith(marks);
    ASSERT_TRUE(WriteFileBytes(dataPath, without));
    bool holdsToday = false;

    int oldState = 0;
    int newState = 0;
    int afterTemporary = 0;
    int leftBehind = 0;
    for (int kill = 0; kill < kills && !HasFailure(); ++kill) {
        ProgramCopy program;
        const HWND frame = program.StartAndWaitForFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(Temporaries(dataPath), 0) << "the start clears what the last kill left";

        const bool waitForTemporary = kill % 2 == 0;
        const LONGLONG delay =
            std::uniform_int_distribution<LONGLONG>(0, waitForTemporary ? 2000 : 60000)(random);
        const Bytes& old = holdsToday ? with : without;
        const Bytes& after = holdsToday ? without : with;
        ClickDay(frame, today);
        if (waitForTemporary) {
            // As tight as it gets: a save of 100,000 marks takes a few milliseconds.
            const ULONGLONG lastWrite = LastWrite(dataPath);
            const ULONGLONG deadline = ::GetTickCount64() + kPatience;
            while (Temporaries(dataPath) == 0 && LastWrite(dataPath) == lastWrite &&
                   ::GetTickCount64() < deadline) {
            }
            afterTemporary += Temporaries(dataPath) > 0 ? 1 : 0;
        }
        SpinFor(delay);
        program.Terminate(99);
        ASSERT_EQ(program.ExitCode(), 99);

        leftBehind += Temporaries(dataPath);
        const auto onDisk = ReadFileBytes(dataPath);
        if (onDisk == old) {
            ++oldState;
        } else if (onDisk == after) {
            ++newState;
            holdsToday = !holdsToday;
        } else {
            ADD_FAILURE() << "kill " << kill << ": the data file holds neither state ("
                          << (onDisk ? onDisk->size() : 0) << " bytes)";
        }
    }
    std::printf("old state: %d, new state: %d, killed within 2 ms after the temporary file "
                "appeared: %d, temporary files left by the kills: %d\n",
                oldState, newState, afterTemporary, leftBehind);

    // The program holds the state on disk: one more click saves exactly the other.
    ProgramCopy program;
    const HWND frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(Temporaries(dataPath), 0);
    ClickDay(frame, today);
    EXPECT_TRUE(
        Eventually([&] { return ReadFileBytes(dataPath) == (holdsToday ? without : with); }));
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 1);
    EXPECT_EQ(Temporaries(dataPath), 0);
}
