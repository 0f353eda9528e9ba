#include "cycle/SaveWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

using Bytes = SaveWorker::Bytes;

// A write that records what it was given and, while held, waits to be let go,
// so that the test decides what is under way when it submits.
class Disk {
public:
    SaveResult Write(const Bytes& bytes) {
        if (++inWrite_ > 1) {
            overlapped_ = true;
        }
        std::unique_lock lock(mutex_);
        written_.push_back(bytes.at(0));
        started_.notify_all();
        released_.wait(lock, [this] { return !held_; });
        --inWrite_;
        return {bytes.at(0) != kRefused, kRefused, L"file"};
    }
    void Hold() {
        const std::lock_guard lock(mutex_);
        held_ = true;
    }
    void Release() {
        {
            const std::lock_guard lock(mutex_);
            held_ = false;
        }
        released_.notify_all();
    }
    void WaitForWrites(std::size_t count) {
        std::unique_lock lock(mutex_);
        started_.wait(lock, [&] { return written_.size() >= count; });
    }
    std::vector<std::uint8_t> Written() {
        const std::lock_guard lock(mutex_);
        return written_;
    }
    bool Overlapped() const { return overlapped_; }

    static constexpr std::uint8_t kRefused = 99;

private:
    std::mutex mutex_;
    std::condition_variable started_;
    std::condition_variable released_;
    bool held_ = false;
    std::vector<std::uint8_t> written_;
    std::atomic<int> inWrite_{0};
    std::atomic<bool> overlapped_{false};
};

TEST(SaveWorkerTest, WritesOneAtATimeAndOnlyTheNewestOfWhatWaited) {
    Disk disk;
    std::atomic<int> finished{0};
    SaveWorker worker([&](const Bytes& bytes) { return disk.Write(bytes); }, [&] { ++finished; });

    disk.Hold();
    worker.Submit(1, {1});
    disk.WaitForWrites(1);
    // While 1 is being written, a burst: only its last state is written next.
    worker.Submit(2, {2});
    worker.Submit(3, {3});
    worker.Submit(4, {Disk::kRefused});
    worker.Submit(5, {5});
    disk.Release();
    worker.WaitIdle();

    EXPECT_EQ(disk.Written(), (std::vector<std::uint8_t>{1, 5}));
    EXPECT_FALSE(disk.Overlapped());
    const auto outcomes = worker.TakeOutcomes();
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0].revision, 1u);
    EXPECT_EQ(outcomes[1].revision, 5u);
    EXPECT_TRUE(outcomes[1].result.saved);
    EXPECT_EQ(finished, 2);
    EXPECT_TRUE(worker.TakeOutcomes().empty()) << "each outcome is handed out once";

    worker.Submit(6, {Disk::kRefused});
    worker.WaitIdle();
    const auto refused = worker.TakeOutcomes();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_FALSE(refused[0].result.saved);
    EXPECT_EQ(refused[0].result.error, Disk::kRefused);
}

TEST(SaveWorkerTest, EndingWritesWhatIsStillPending) {
    Disk disk;
    {
        SaveWorker worker([&](const Bytes& bytes) { return disk.Write(bytes); }, [] {});
        disk.Hold();
        worker.Submit(1, {1});
        disk.WaitForWrites(1);
        worker.Submit(2, {2});
        disk.Release();
    }
    EXPECT_EQ(disk.Written(), (std::vector<std::uint8_t>{1, 2}));
}

} // namespace
