// "Keep following my cycles": a preference of hers in the registry
// (HKCU\Software\Lunabel, never the data file), and the listener that
// applies her typical cycle after every change of marks while it is on.
//
//   const CycleFollower follower(user.Data());   // for the program's life
#pragma once

#include <windows.h>

class CalendarData;

// Off when the value is missing or cannot be read.
bool IsFollowingCycles();
// ERROR_SUCCESS, or why the choice could not be stored.
LSTATUS SetFollowingCycles(bool on);
// The same, telling her in a message box owned by `owner` when it fails.
bool StoreFollowingCycles(HWND owner, bool on);

class CycleFollower {
public:
    explicit CycleFollower(CalendarData& data);
    ~CycleFollower();
    CycleFollower(const CycleFollower&) = delete;
    CycleFollower& operator=(const CycleFollower&) = delete;

private:
    CalendarData& data_;
    int listener_;
};
