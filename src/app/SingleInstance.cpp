#include "app/SingleInstance.h"

namespace {
// How often a waiting copy looks for the other copy's window.
constexpr DWORD kPollInterval = 50;
} // namespace

SingleInstance::SingleInstance(const wchar_t* name, const wchar_t* windowClass, DWORD patience) {
    mutex_.Reset(::CreateMutexW(nullptr, TRUE, name));
    if (!mutex_) {
        first_ = true;
        return;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
        owned_ = first_ = true;
        return;
    }
    // The other copy may still be starting (no window yet) or ending (saving).
    const ULONGLONG deadline = ::GetTickCount64() + patience;
    for (;;) {
        if (::FindWindowW(windowClass, nullptr) != nullptr) {
            return;
        }
        const DWORD wait = ::WaitForSingleObject(mutex_.Get(), kPollInterval);
        // Abandoned: the other copy was ended without letting go; it saves nothing more.
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
            owned_ = first_ = true;
            return;
        }
        if (wait == WAIT_FAILED || ::GetTickCount64() >= deadline) {
            return;
        }
    }
}

SingleInstance::~SingleInstance() {
    if (owned_) {
        ::ReleaseMutex(mutex_.Get());
    }
}

bool SingleInstance::ActivateRunningCopy(const wchar_t* windowClass) {
    const HWND frame = ::FindWindowW(windowClass, nullptr);
    if (frame == nullptr) {
        return false;
    }
    // Asynchronous, so a copy that hangs cannot hang this one too.
    if (::IsIconic(frame)) {
        ::ShowWindowAsync(frame, SW_RESTORE);
    }
    const HWND popup = ::GetLastActivePopup(frame);
    ::SetForegroundWindow(popup != nullptr ? popup : frame);
    return true;
}
