#pragma once

#include "store/card_database.h"

// The window's connection waits only briefly for another program's lock
// while it saves or looks for changes: long enough for another writer's
// commit, never long enough to stop the window from answering. The work is
// tried again later.
class BriefLockWait {
public:
    static constexpr int kWaitMs = 40;

    explicit BriefLockWait(CardDatabase& database) : database(database) { database.setBusyTimeout(kWaitMs); }
    BriefLockWait(const BriefLockWait&) = delete;
    BriefLockWait& operator=(const BriefLockWait&) = delete;
    ~BriefLockWait() { database.setBusyTimeout(CardDatabase::kBusyTimeoutMs); }

private:
    CardDatabase& database;
};
