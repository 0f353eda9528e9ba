#include "import/BackgroundRead.h"

#include <atomic>
#include <new>
#include <thread>
#include <utility>

#include "files/Files.h"
#include "framework/MessageWindow.h"
#include "import/ImportReader.h"

namespace imports {

namespace {

// Large enough that a 200 MB file is a couple of hundred reads.
constexpr std::size_t kChunkSize = 1 << 20;

enum Posted : std::uintptr_t { kProgressPosted, kDonePosted };

DateOrder UserDateOrder() {
    wchar_t pattern[80] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTDATE, pattern,
                          static_cast<int>(std::size(pattern))) == 0) {
        return DateOrder::DayFirst;
    }
    const std::wstring_view text(pattern);
    const std::size_t month = text.find(L'M');
    const std::size_t day = text.find(L'd');
    return month != std::wstring_view::npos && month < day ? DateOrder::MonthFirst
                                                           : DateOrder::DayFirst;
}

} // namespace

ReadOptions ReadOptionsForUser() {
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    ReadOptions options;
    options.codePage = ::GetACP();
    options.today = MakeDateKey(today.wYear, today.wMonth, today.wDay);
    options.preferredOrder = UserDateOrder();
    return options;
}

struct BackgroundRead::State {
    std::wstring path;
    ReadOptions options;
    Progress progress;
    Done done;
    std::atomic<bool> cancelled{false};
    std::atomic<int> percent{0};
    ReadOutcome outcome;
    std::unique_ptr<MessageWindow> mailbox;
    std::thread reader;

    void Read() {
        int told = -1;
        try {
            ImportReader importReader(options);
            outcome.error = files::ReadInChunks(
                path, kChunkSize,
                [&](std::span<const std::uint8_t> chunk, std::uint64_t readSoFar,
                    std::uint64_t total) {
                    if (cancelled) {
                        return false;
                    }
                    importReader.Feed(chunk);
                    const int now = total == 0 ? 100 : static_cast<int>(readSoFar * 100 / total);
                    if (now != told) {
                        told = now;
                        percent = now;
                        mailbox->Post(kProgressPosted);
                    }
                    return !cancelled;
                });
            if (outcome.error == ERROR_SUCCESS) {
                outcome.read = importReader.Finish();
            }
        } catch (const std::bad_alloc&) {
            outcome.error = ERROR_NOT_ENOUGH_MEMORY;
        }
        mailbox->Post(kDonePosted);
    }
};

BackgroundRead::BackgroundRead(std::wstring path, const ReadOptions& options, Progress progress,
                               Done done)
    : state_(std::make_shared<State>()) {
    State& state = *state_;
    state.path = std::move(path);
    state.options = options;
    state.progress = std::move(progress);
    state.done = std::move(done);
    state.mailbox =
        std::make_unique<MessageWindow>([weak = std::weak_ptr<State>(state_)](std::uintptr_t what) {
            const std::shared_ptr<State> alive = weak.lock();
            if (!alive) {
                return;
            }
            if (what == kProgressPosted && alive->progress) {
                alive->progress(alive->percent);
                return;
            }
            if (what == kDonePosted && alive->done) {
                alive->reader.join();
                std::exchange(alive->done, nullptr)(std::move(alive->outcome));
            }
        });
    if (!state.mailbox->Create()) {
        state.outcome.error = ::GetLastError();
        std::exchange(state.done, nullptr)(std::move(state.outcome));
        return;
    }
    state.reader = std::thread([&state] { state.Read(); });
}

BackgroundRead::~BackgroundRead() {
    state_->done = nullptr;
    Cancel();
    if (state_->reader.joinable()) {
        state_->reader.join();
    }
}

void BackgroundRead::Cancel() {
    state_->cancelled = true;
}

} // namespace imports
