// Writes the data file on a thread of its own, so that a slow disk never holds
// up the window. It writes one snapshot at a time and always the newest it was
// handed: snapshots that arrive while a write is under way replace each other,
// and only the last of them is written next.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "files/SaveResult.h"

class SaveWorker {
public:
    using Bytes = std::vector<std::uint8_t>;
    // Runs on the worker thread, one call at a time.
    using Write = std::function<SaveResult(const Bytes& bytes)>;
    // Runs on the worker thread after each write: tells the owner that there
    // are outcomes to take.
    using Finished = std::function<void()>;

    struct Outcome {
        std::uint64_t revision;
        SaveResult result;
    };

    SaveWorker(Write write, Finished finished);
    // Writes what is still pending, then ends the thread.
    ~SaveWorker();

    SaveWorker(const SaveWorker&) = delete;
    SaveWorker& operator=(const SaveWorker&) = delete;

    // Hands over the state of `revision`; replaces a snapshot not yet started.
    void Submit(std::uint64_t revision, Bytes bytes);

    // Returns once nothing is pending and no write is under way.
    void WaitIdle();

    // The outcomes of the writes finished since the last call, in order.
    std::vector<Outcome> TakeOutcomes();

private:
    struct Snapshot {
        std::uint64_t revision;
        Bytes bytes;
    };

    void Run();

    Write write_;
    Finished finished_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Snapshot> pending_;
    bool writing_ = false;
    bool stopping_ = false;
    std::vector<Outcome> outcomes_;
    // Last: starts once everything it uses exists.
    std::thread thread_;
};
