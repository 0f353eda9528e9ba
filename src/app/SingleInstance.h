// One copy of the program per session. Each copy saves its whole state, so
// with two copies each save would silently undo the other's changes.
#pragma once

#include <windows.h>

#include "framework/Handle.h"

class SingleInstance {
public:
    // Claims `name` (a mutex, "Local\..." for one per session). When another
    // copy holds it, waits until that copy has a window of `windowClass` (this
    // copy is then the second one) or ends (this copy takes over; the other has
    // saved by then, since it lets go only after saving), for at most
    // `patience` milliseconds.
    SingleInstance(const wchar_t* name, const wchar_t* windowClass, DWORD patience);
    ~SingleInstance();

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Whether this copy may load and save the user's data. Also true when the
    // name could not be claimed at all: refusing to start would help no one.
    bool IsFirst() const { return first_; }

    // Brings the running copy's window to the front, restored if minimised; if
    // it has a dialog open, that dialog. False when there is no such window.
    static bool ActivateRunningCopy(const wchar_t* windowClass);

    // The executable's own check, made during static initialisation before its
    // data object loads (defined beside that object).
    static const SingleInstance& Process();

private:
    win::Handle mutex_;
    bool owned_ = false;
    bool first_ = false;
};
