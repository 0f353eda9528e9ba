// Who may keep the user's data when copies of the program meet: the name is
// held on threads, as a mutex belongs to the thread that took it, and each test
// uses names of its own so that no running program is disturbed.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/SingleInstance.h"

namespace {

constexpr DWORD kPatience = 60000; // ms; only reached when something is broken
constexpr DWORD kForever = 0x7fffffff;
constexpr const wchar_t* kWindowClass = L"LunabelSingleInstanceTest";

std::wstring UniqueName() {
    static int counter = 0;
    return L"Local\\LunabelTest.SingleInstance." + std::to_wstring(::GetCurrentProcessId()) + L"." +
           std::to_wstring(++counter);
}

class Event {
public:
    Event() : handle_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Event() { ::CloseHandle(handle_); }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    void Set() { ::SetEvent(handle_); }
    bool WaitFor(DWORD ms) { return ::WaitForSingleObject(handle_, ms) == WAIT_OBJECT_0; }

private:
    HANDLE handle_;
};

// Another copy: claims the name on a thread of its own and keeps it until told.
// The thread outlives the object, so that only letting go frees the name.
class OtherCopy {
public:
    explicit OtherCopy(const std::wstring& name)
        : thread_([this, name] {
              {
                  SingleInstance instance(name.c_str(), kWindowClass, 0);
                  first_ = instance.IsFirst();
                  claimed_.Set();
                  letGo_.WaitFor(INFINITE);
              }
              ended_.Set();
              finish_.WaitFor(INFINITE);
          }) {
        claimed_.WaitFor(INFINITE);
    }
    ~OtherCopy() {
        End();
        finish_.Set();
        thread_.join();
    }

    bool IsFirst() const { return first_; }
    void End() {
        letGo_.Set();
        ended_.WaitFor(INFINITE);
    }

private:
    Event claimed_;
    Event letGo_;
    Event ended_;
    Event finish_;
    std::atomic<bool> first_{false};
    std::thread thread_;
};

// A copy starting now, on a thread, so that the test can act while it waits.
class StartingCopy {
public:
    StartingCopy(const std::wstring& name, DWORD patience)
        : thread_([this, name, patience] {
              SingleInstance instance(name.c_str(), kWindowClass, patience);
              first_ = instance.IsFirst();
              decided_.Set();
          }) {}
    ~StartingCopy() { thread_.join(); }

    // Whether it has decided, waiting a bounded time.
    bool Decided() { return decided_.WaitFor(kPatience); }
    bool IsFirst() const { return first_; }

private:
    Event decided_;
    std::atomic<bool> first_{false};
    std::thread thread_;
};

constexpr const wchar_t* kOtherClass = L"LunabelSingleInstanceTestOther";

class TestWindows {
public:
    TestWindows() {
        for (const wchar_t* name : {kWindowClass, kOtherClass}) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = name;
            ::RegisterClassExW(&wc);
        }
    }
    ~TestWindows() {
        // Owned windows before their owners.
        while (count_ > 0) {
            ::DestroyWindow(windows_[--count_]);
        }
        ::UnregisterClassW(kWindowClass, ::GetModuleHandleW(nullptr));
        ::UnregisterClassW(kOtherClass, ::GetModuleHandleW(nullptr));
    }
    TestWindows(const TestWindows&) = delete;
    TestWindows& operator=(const TestWindows&) = delete;

    // Shown without being activated at creation: without a window manager Wine
    // waits two seconds at the destruction of a window activated that way.
    HWND Make(const wchar_t* windowClass, HWND owner = nullptr) {
        const HWND window = ::CreateWindowExW(0, windowClass, L"", WS_POPUP, 10, 10, 200, 100,
                                              owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::ShowWindow(window, SW_SHOWNA);
        windows_[count_++] = window;
        return window;
    }

private:
    HWND windows_[4] = {};
    int count_ = 0;
};

} // namespace

TEST(SingleInstance, OnlyTheFirstCopyMayKeepData) {
    const std::wstring name = UniqueName();
    SingleInstance first(name.c_str(), kWindowClass, 0);
    EXPECT_TRUE(first.IsFirst());

    OtherCopy second(name);
    EXPECT_FALSE(second.IsFirst()) << "no window and no patience: the other copy stays";
}

TEST(SingleInstance, SecondCopyStopsWaitingOnceTheFirstHasAWindow) {
    const std::wstring name = UniqueName();
    TestWindows windows;
    OtherCopy first(name);
    ASSERT_TRUE(first.IsFirst());
    windows.Make(kWindowClass);

    // Patience without end: had it missed the window, it would wait for the first
    // copy to end.
    StartingCopy second(name, kForever);
    EXPECT_TRUE(second.Decided()) << "the window was not noticed";
    first.End();
    EXPECT_TRUE(second.Decided());
    EXPECT_FALSE(second.IsFirst());
}

TEST(SingleInstance, TakesOverWhenTheFirstCopyEndsWithoutAWindow) {
    const std::wstring name = UniqueName();
    OtherCopy first(name);
    ASSERT_TRUE(first.IsFirst());
    // Keeps the mutex in existence, so that only letting go can free it.
    const HANDLE extra = ::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    ASSERT_NE(extra, nullptr);

    StartingCopy second(name, kForever);
    first.End();
    EXPECT_TRUE(second.Decided()) << "the first copy did not let go";
    EXPECT_TRUE(second.IsFirst());
    ::CloseHandle(extra);
}

TEST(SingleInstance, TakesOverFromACopyThatWasKilled) {
    const std::wstring name = UniqueName();
    // Taken and never released by a thread that then ends: the mutex is abandoned,
    // as when the process holding it is killed.
    HANDLE held = nullptr;
    std::thread([&] { held = ::CreateMutexW(nullptr, TRUE, name.c_str()); }).join();
    ASSERT_NE(held, nullptr);

    SingleInstance second(name.c_str(), kWindowClass, kForever);
    EXPECT_TRUE(second.IsFirst());
    ::CloseHandle(held);
}

TEST(SingleInstance, CopyThatCannotClaimTheNameStillRuns) {
    // An event already holds the name, so no mutex can be made under it.
    const std::wstring name = UniqueName();
    const HANDLE squatter = ::CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    ASSERT_NE(squatter, nullptr);

    SingleInstance copy(name.c_str(), kWindowClass, kForever);
    EXPECT_TRUE(copy.IsFirst());
    ::CloseHandle(squatter);
}

TEST(SingleInstance, ActivatingWithoutARunningCopyFindsNothing) {
    EXPECT_FALSE(SingleInstance::ActivateRunningCopy(kWindowClass));
}

TEST(SingleInstance, ActivatingRestoresTheMinimisedWindowAndBringsItForward) {
    TestWindows windows;
    const HWND frame = windows.Make(kWindowClass);
    const HWND elsewhere = windows.Make(kOtherClass);
    ::ShowWindow(frame, SW_MINIMIZE);
    ::SetForegroundWindow(elsewhere);
    ASSERT_TRUE(::IsIconic(frame));

    EXPECT_TRUE(SingleInstance::ActivateRunningCopy(kWindowClass));
    EXPECT_FALSE(::IsIconic(frame));
    EXPECT_EQ(::GetForegroundWindow(), frame);
}

TEST(SingleInstance, ActivatingGoesToTheOpenDialog) {
    TestWindows windows;
    const HWND frame = windows.Make(kWindowClass);
    const HWND dialog = windows.Make(kOtherClass, frame);
    ::SetForegroundWindow(dialog);
    ::EnableWindow(frame, FALSE); // modal
    const HWND elsewhere = windows.Make(kOtherClass);
    ::SetForegroundWindow(elsewhere);

    EXPECT_TRUE(SingleInstance::ActivateRunningCopy(kWindowClass));
    EXPECT_EQ(::GetForegroundWindow(), dialog);
}
