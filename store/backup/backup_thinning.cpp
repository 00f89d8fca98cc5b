#include "store/backup/backup_thinning.h"

#include <algorithm>
#include <map>
#include <numeric>

namespace store {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
int64_t daysFromCivil(int year, unsigned month, unsigned day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

int64_t dayNumber(const SYSTEMTIME& time) {
    return daysFromCivil(time.wYear, time.wMonth, time.wDay);
}

int64_t secondsOf(const SYSTEMTIME& time) {
    return dayNumber(time) * kSecondsPerDay + time.wHour * 3600 + time.wMinute * 60 + time.wSecond;
}

// 1970-01-01 was a Thursday: three days on, weeks begin on Mondays.
int64_t weekOf(const SYSTEMTIME& time) {
    const int64_t days = dayNumber(time) + 3;
    return days >= 0 ? days / 7 : (days - 6) / 7;
}

int64_t monthOf(const SYSTEMTIME& time) {
    return static_cast<int64_t>(time.wYear) * 12 + time.wMonth - 1;
}

}  // namespace

std::vector<bool> backupsToKeep(const std::vector<BackupStamp>& backups, const SYSTEMTIME& localNow,
                                uint64_t budgetBytes) {
    std::vector<bool> keep(backups.size(), false);
    if (backups.empty()) return keep;

    // Oldest first, so the first of a period met is the one kept.
    std::vector<size_t> order(backups.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return secondsOf(backups[a].localTime) < secondsOf(backups[b].localTime);
    });

    const int64_t now = secondsOf(localNow);
    const int64_t allUntil = kKeepAllDays * kSecondsPerDay;
    const int64_t weeklyUntil = allUntil + kWeeklyWeeks * 7 * kSecondsPerDay;
    const int64_t monthlyUntil = weeklyUntil + 365 * kSecondsPerDay;

    std::map<int64_t, bool> weekTaken;
    std::map<int64_t, bool> monthTaken;
    for (size_t index : order) {
        const SYSTEMTIME& time = backups[index].localTime;
        const int64_t age = now - secondsOf(time);
        if (age < allUntil) {
            keep[index] = true;
        } else if (age < weeklyUntil) {
            bool& taken = weekTaken[weekOf(time)];
            keep[index] = !taken;
            taken = true;
        } else if (age < monthlyUntil) {
            bool& taken = monthTaken[monthOf(time)];
            keep[index] = !taken;
            taken = true;
        }
    }

    // Within the budget, newest first; the newest stays whatever its size.
    uint64_t total = 0;
    bool newest = true;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (!keep[*it]) continue;
        total += backups[*it].bytes;
        if (!newest && total > budgetBytes) keep[*it] = false;
        newest = false;
    }
    return keep;
}

}  // namespace store
