#pragma once

#include <windows.h>

// When the pages' edits are due to be written, without any window: a pause
// in typing, or a longest wait while the typing goes on, so that what is
// typed is never more than a few seconds from the disk. Times are tick
// counts in milliseconds (GetTickCount), compared so that they may wrap.
class SaveSchedule {
public:
    static constexpr DWORD kPauseMs = 1000;
    static constexpr DWORD kLongestWaitMs = 2000;
    // After a failed save: the next try comes at the next pause in typing,
    // or after this long when nothing is typed.
    static constexpr DWORD kRetryMs = 2000;
    static constexpr DWORD kNothingDue = INFINITE;

    // An edit was made at `now`.
    void Edited(DWORD now);
    // Everything was written; nothing is due.
    void Saved();
    // The save at `now` failed: the edits stay due, and the next try waits.
    void Failed(DWORD now);
    // How long the last save kept the window busy. While typing goes on, a
    // save that costs much waits longer (five times its cost), so that a
    // huge card's typing is not stopped every two seconds.
    void SaveTook(DWORD milliseconds) { lastCost = milliseconds; }

    bool IsPending() const { return pending; }
    // Milliseconds from `now` until the save is due; 0 when it is due now,
    // kNothingDue when nothing waits to be written.
    DWORD DueIn(DWORD now) const;

private:
    bool pending = false;
    DWORD firstEdit = 0;
    DWORD lastEdit = 0;
    bool retrying = false;
    DWORD failedAt = 0;
    DWORD lastCost = 0;
};
