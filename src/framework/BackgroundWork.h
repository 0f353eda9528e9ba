// One piece of slow work (deriving a key, say) on a thread of its own, its
// result handed to `done` on the thread that started it, from whatever
// message loop that thread runs (modal ones too). Destroying it waits for the
// work to end and tells nobody; `done` must not destroy it.
//
//   work = std::make_unique<BackgroundWork<int>>([] { return Slow(); },
//                                                [this](int result) { Use(result); });
#pragma once

#include <functional>
#include <optional>
#include <thread>
#include <utility>

#include "framework/MessageWindow.h"

template <typename Result> class BackgroundWork {
public:
    BackgroundWork(std::function<Result()> work, std::function<void(Result)> done)
        : done_(std::move(done)), mailbox_([this](std::uintptr_t) { Deliver(); }) {
        if (!mailbox_.Create()) {
            // No loop to come back through: the work runs here.
            result_.emplace(work());
            Deliver();
            return;
        }
        thread_ = std::thread([this, work = std::move(work)] {
            result_.emplace(work());
            mailbox_.Post(0);
        });
    }

    ~BackgroundWork() {
        if (thread_.joinable()) {
            thread_.join();
        }
        if (mailbox_.IsWindow()) {
            mailbox_.DestroyWindow();
        }
    }

    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

private:
    void Deliver() {
        if (thread_.joinable()) {
            thread_.join();
        }
        if (result_ && done_) {
            Result result = std::move(*result_);
            result_.reset();
            done_(std::move(result));
        }
    }

    std::function<void(Result)> done_;
    std::optional<Result> result_;
    MessageWindow mailbox_;
    std::thread thread_;
};
