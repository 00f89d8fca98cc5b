#pragma once

#include <windows.h>

#include "core/qstring.h"

// One window per user session: the first start holds a named mutex for its
// whole run; a later start of the same user in the same session hands its
// command line to that window and ends.
class RunningInstance {
public:
    RunningInstance();
    RunningInstance(const RunningInstance&) = delete;
    RunningInstance& operator=(const RunningInstance&) = delete;
    ~RunningInstance();

    // Whether another start of this session already runs.
    bool IsAnotherRunning() const { return anotherRunning; }

private:
    HANDLE mutex = nullptr;
    bool anotherRunning = false;
};

// The tag of the WM_COPYDATA a later start sends; its data is the database
// path as UTF-16 without the terminating zero (none: only come back).
inline constexpr ULONG_PTR kHandOverTag = 0x564F524C;

// Hands path (empty: none) to the running window, letting it come to the
// foreground; false when no running window took it, so that this start
// goes on with a window of its own.
bool HandOverToRunningWindow(const kiln::qstd::QString& path);

// The path a later start handed over; false when the data is not a hand-over.
bool ReadHandOver(const COPYDATASTRUCT& data, kiln::qstd::QString& path);
