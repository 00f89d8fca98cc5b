#pragma once

#include <windows.h>

#include <cstdint>

namespace kiln {
namespace qzip {

// Seconds since 1970-01-01 UTC of a file time (100-ns ticks since 1601).
int64_t FileTimeToUnixSeconds(const FILETIME& time);

// An entry's DOS date and time are the local wall clock of whoever made the
// archive; they are read as this machine's local time. 0 for an impossible
// date (month 0, day 0, ...).
int64_t DosTimeToUnixSeconds(uint16_t date, uint16_t time);

}  // namespace qzip
}  // namespace kiln
