// Reading a file she brings for import on a thread of its own, a chunk at a
// time, so that neither the window nor memory waits on the file's size. How
// far it has come and how it ended are told on the thread that started it,
// from whatever message loop that thread runs (a dialog's too).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "import/ImportRead.h"

namespace imports {

// Her code page, today and her regional settings' order of day and month.
ReadOptions ReadOptionsForUser();

struct ReadOutcome {
    DWORD error = ERROR_SUCCESS; // ERROR_CANCELLED after Cancel, or why the file could not be read
    ImportRead read;
};

class BackgroundRead {
public:
    using Progress = std::function<void(int percent)>;
    using Done = std::function<void(ReadOutcome outcome)>;

    BackgroundRead(std::wstring path, const ReadOptions& options, Progress progress, Done done);
    // Cancels and waits for the thread; `done` is not called after.
    ~BackgroundRead();
    BackgroundRead(const BackgroundRead&) = delete;
    BackgroundRead& operator=(const BackgroundRead&) = delete;

    // The reading stops at the next chunk and ends with ERROR_CANCELLED.
    void Cancel();

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace imports
