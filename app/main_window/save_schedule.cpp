#include "app/main_window/save_schedule.h"

#include <algorithm>

namespace {

// Milliseconds left of `length` that began at `start`, 0 once it has passed.
DWORD Remaining(DWORD start, DWORD length, DWORD now) {
    const DWORD passed = now - start;
    return passed >= length ? 0 : length - passed;
}

}  // namespace

void SaveSchedule::Edited(DWORD now) {
    if (!pending) firstEdit = now;
    pending = true;
    lastEdit = now;
    // Typing after a failure is a new chance: the pause after it retries.
    retrying = false;
}

void SaveSchedule::Saved() {
    pending = false;
    retrying = false;
}

void SaveSchedule::Failed(DWORD now) {
    pending = true;
    retrying = true;
    failedAt = now;
}

DWORD SaveSchedule::DueIn(DWORD now) const {
    if (!pending) return kNothingDue;
    if (retrying) return Remaining(failedAt, kRetryMs, now);
    const DWORD longestWait = std::max(kLongestWaitMs, lastCost * 5);
    return std::min(Remaining(lastEdit, kPauseMs, now), Remaining(firstEdit, longestWait, now));
}
