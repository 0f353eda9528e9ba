// How long the main window takes to answer the user, under Wine or Windows,
// with a heavy data set (100,000 marks) saved as it changes: a clicked day
// until all six grids have repainted, and until the data file holds it; a
// half-year step, made while a save is under way, until the caption and grids
// have repainted; and start-up until every child has painted once. Prints
// medians in milliseconds; run it by hand (bench/run-ui.sh).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ManyMarks.h"
#include "app/MainFrame.h"
#include "view/Commands.h"
#include "cycle/CalendarData.h"
#include "cycle/DateKey.h"
#include "cycle/PersistentCalendarData.h"
#include "framework/AppModule.h"
#include "framework/MessageLoop.h"

namespace {
// Saved to a file of its own in the temporary folder, as the program saves.
PersistentCalendarData* benchData = nullptr;
} // namespace

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

BOOL CALLBACK NoteUnpainted(HWND child, LPARAM param) {
    if (::GetUpdateRect(child, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(param) = true;
    }
    return TRUE;
}

bool AllPainted(HWND frame) {
    bool unpainted = ::GetUpdateRect(frame, nullptr, FALSE) != FALSE;
    ::EnumChildWindows(frame, NoteUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

void UpdateChildren(HWND view) {
    for (HWND child = ::GetWindow(view, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::UpdateWindow(child);
    }
}

std::unique_ptr<CMainFrame> OpenFrame(double* startUp) {
    const auto start = Clock::now();
    auto frame = std::make_unique<CMainFrame>(benchData->Data(), benchData);
    frame->Create(nullptr, CWindow::rcDefault, nullptr, CMainFrame::kStyle, CMainFrame::kExStyle);
    frame->ShowWindow(SW_SHOWNORMAL);
    while (!AllPainted(*frame)) {
        PumpMessages();
    }
    *startUp = Milliseconds(Clock::now() - start);
    return frame;
}

} // namespace

// Pumps until the data file holds the data as it is now.
void WaitUntilSaved(PersistentCalendarData& data) {
    while (data.HasUnsavedChanges()) {
        PumpMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

std::wstring BenchDataPath() {
    wchar_t temp[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"LunabelUiBench-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\Lunabel.data";
}

void RemoveBenchData(const std::wstring& path) {
    for (const wchar_t* suffix : {L"", L".bak"}) {
        ::DeleteFileW((path + suffix).c_str());
    }
    ::RemoveDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str());
}

int main() {
    AppModule().Init(::GetModuleHandleW(nullptr));
    CMessageLoop loop;
    AppModule().AddMessageLoop(&loop);
    const std::wstring path = BenchDataPath();
    std::optional<PersistentCalendarData> data(std::in_place, path);
    benchData = &*data;
    const CalendarData::InstanceScope instance(data->Data());
    data->Data().SetMarks(ManyMarks(100000));
    WaitUntilSaved(*data);
    std::printf("marks loaded: %zu\n", data->Data().Marks().size());

    constexpr int kStartUps = 12;
    std::vector<double> startUps;
    double firstStartUp = 0;
    for (int i = 0; i < kStartUps; ++i) {
        double took = 0;
        auto frame = OpenFrame(&took);
        if (i == 0) {
            firstStartUp = took; // registers classes and warms the font cache
        } else {
            startUps.push_back(took);
        }
        if (i + 1 < kStartUps) {
            frame->DestroyWindow();
            PumpMessages();
        } else {
            const HWND view = frame->View().Handle();
            const SYSTEMTIME today = CalendarView::LocalTime();
            const int firstMonth = today.wMonth < 7 ? 1 : 7;

            // The click hands the state to the saver before the grids paint, as
            // in the program's loop; the save itself runs on the saver's thread.
            const auto click = [&](int run) {
                ::SendMessageW(view, WM_DAY_CLICKED, frame->View().Year(),
                               MAKELPARAM(firstMonth, 1 + run % 2 * 14));
                PumpMessages();
            };
            constexpr int kRuns = 200;
            std::vector<double> clicks;
            for (int run = 0; run < kRuns; ++run) {
                const auto start = Clock::now();
                click(run);
                for (int g = 0; g < CalendarView::kGridCount; ++g) {
                    ::UpdateWindow(frame->View().Grid(g)->Handle());
                }
                clicks.push_back(Milliseconds(Clock::now() - start));
            }
            WaitUntilSaved(*data);

            constexpr int kSaveRuns = 50;
            std::vector<double> saves;
            for (int run = 0; run < kSaveRuns; ++run) {
                const auto start = Clock::now();
                click(run);
                WaitUntilSaved(*data);
                saves.push_back(Milliseconds(Clock::now() - start));
            }

            std::vector<double> steps;
            for (int run = 0; run < kRuns; ++run) {
                click(run);
                const auto start = Clock::now();
                ::SendMessageW(view, WM_COMMAND, MAKEWPARAM(CMD_NEXT, 0), 0);
                PumpMessages();
                UpdateChildren(view);
                steps.push_back(Milliseconds(Clock::now() - start));
            }
            WaitUntilSaved(*data);

            std::printf("day click until six grids repainted: median %.3f ms (%d runs)\n",
                        Median(clicks), kRuns);
            std::printf("day click until the data file holds it: median %.3f ms (%d runs)\n",
                        Median(saves), kSaveRuns);
            std::printf("half-year step until repainted:      median %.3f ms (%d runs, each "
                        "right after a click, its save running)\n",
                        Median(steps), kRuns);
            frame->DestroyWindow();
            PumpMessages();
        }
    }
    std::printf("start-up until every child painted:  median %.3f ms (%d runs; first run %.3f "
                "ms)\n",
                Median(startUps), kStartUps - 1, firstStartUp);

    data.reset();
    RemoveBenchData(path);
    AppModule().RemoveMessageLoop();
    AppModule().Term();
    return 0;
}
