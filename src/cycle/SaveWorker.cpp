#include "cycle/SaveWorker.h"

#include <utility>

SaveWorker::SaveWorker(Write write, Finished finished)
    : write_(std::move(write)), finished_(std::move(finished)), thread_([this] { Run(); }) {}

SaveWorker::~SaveWorker() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void SaveWorker::Submit(std::uint64_t revision, Bytes bytes) {
    {
        const std::lock_guard lock(mutex_);
        pending_ = Snapshot{revision, std::move(bytes)};
    }
    changed_.notify_all();
}

void SaveWorker::WaitIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !pending_ && !writing_; });
}

std::vector<SaveWorker::Outcome> SaveWorker::TakeOutcomes() {
    const std::lock_guard lock(mutex_);
    return std::exchange(outcomes_, {});
}

void SaveWorker::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return pending_ || stopping_; });
        // Even when stopping, what was handed over is written first.
        if (!pending_) {
            return;
        }
        Snapshot snapshot = std::move(*pending_);
        pending_.reset();
        writing_ = true;
        lock.unlock();
        SaveResult result = write_(snapshot.bytes);
        lock.lock();
        outcomes_.push_back({snapshot.revision, std::move(result)});
        lock.unlock();
        finished_();
        lock.lock();
        // Only now idle: whoever waits for that finds the outcome told as well.
        writing_ = false;
        changed_.notify_all();
    }
}
