#pragma once

#include "core/qstring.h"

// A process that ends by an exception nobody caught leaves a minidump behind
// for whoever looks into it, and the next start says so once.

// How many dumps a folder keeps: the newest ones.
constexpr unsigned kKeptCrashDumps = 5;

// From here on, an exception nobody caught (a structured one, or a C++ one
// that reaches std::terminate) writes "vorlen-<date>-<time>-<process>.dmp"
// into folder, creating it, before the process ends. Older dumps beyond
// kKeptCrashDumps are deleted now, not in the failing process.
void InstallCrashReports(const kiln::qstd::QString& folder);

// The newest dump of folder written after the last MarkCrashDumpsSeen; empty
// when there is none.
kiln::qstd::QString UnseenCrashDump(const kiln::qstd::QString& folder);
void MarkCrashDumpsSeen(const kiln::qstd::QString& folder);
