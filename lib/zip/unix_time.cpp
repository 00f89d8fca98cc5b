#include "zip/unix_time.h"

namespace kiln {
namespace qzip {

namespace {

const int64_t TicksPerSecond = 10000000;
// Seconds from 1601-01-01 to 1970-01-01.
const int64_t EpochDifference = 11644473600;

}  // namespace

int64_t FileTimeToUnixSeconds(const FILETIME& time) {
    const uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<int64_t>(ticks / TicksPerSecond) - EpochDifference;
}

int64_t DosTimeToUnixSeconds(uint16_t date, uint16_t time) {
    FILETIME local;
    FILETIME utc;
    if (!DosDateTimeToFileTime(date, time, &local) || !LocalFileTimeToFileTime(&local, &utc)) {
        return 0;
    }
    return FileTimeToUnixSeconds(utc);
}

}  // namespace qzip
}  // namespace kiln
