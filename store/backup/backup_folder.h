#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/qstring.h"

// Where the backups of a database are kept: in the user's own application
// data, never beside the file, so that a sync tool or a wiped folder does not
// take them along with it.
namespace store {

// VORLEN_BACKUPS, when set, names the root instead (tests, portable use);
// otherwise %LOCALAPPDATA%\Vorlen\Backups.
kiln::qstd::QString defaultBackupsRoot();

// root\<file name>-<8 hex digits hashed from the full path, case folded>: two
// files of one name in different folders never share backups.
kiln::qstd::QString backupFolderOf(const kiln::qstd::QString& root, const kiln::qstd::QString& databasePath);

// "yyyy-mm-dd hh-mm-ss.data".
kiln::qstd::QString backupFileName(const SYSTEMTIME& localTime);

struct BackupFile {
    kiln::qstd::QString path;
    SYSTEMTIME localTime;
    uint64_t bytes;
};

// The backups in folder, newest first; names of other shapes are left alone.
std::vector<BackupFile> listBackups(const kiln::qstd::QString& folder);

// Creates the folder and those above it; throws when it cannot.
void createFolders(const kiln::qstd::QString& folder);

}  // namespace store
