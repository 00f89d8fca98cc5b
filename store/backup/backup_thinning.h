#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Which backups of one database to keep, decided from their local times and
// sizes alone so that a table of dates can test it.
namespace store {

// Every backup of the last 7 days; before that, the oldest of each calendar
// week (Monday to Sunday) for 5 weeks; before that, the oldest of each
// calendar month for the 365 days before that; nothing older. Taking the oldest of a period
// keeps the choice stable: a backup that was kept is never dropped for a later
// one of the same period.
inline constexpr int kKeepAllDays = 7;
inline constexpr int kWeeklyWeeks = 5;
inline constexpr int kMonthlyMonths = 12;

// The backups of one database together never take more than this; the
// oldest go first, but the newest backup is kept whatever its size.
inline constexpr uint64_t kBackupBudgetBytes = 2ull * 1024 * 1024 * 1024;

struct BackupStamp {
    SYSTEMTIME localTime;
    uint64_t bytes;
};

// One flag per backup, in the order given (any order): true to keep it.
std::vector<bool> backupsToKeep(const std::vector<BackupStamp>& backups, const SYSTEMTIME& localNow,
                                uint64_t budgetBytes = kBackupBudgetBytes);

}  // namespace store
