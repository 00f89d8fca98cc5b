#include "store/backup/backup_folder.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "core/qerror.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace store {

namespace {

QString environmentValue(const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    if (length == 0 || length >= std::size(buffer)) return QString();
    return QString(buffer, static_cast<int>(length));
}

QString fullPathOf(const QString& path) {
    wchar_t buffer[32768];
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(buffer)), buffer, nullptr);
    if (length == 0 || length >= std::size(buffer)) return path;
    return QString(buffer, static_cast<int>(length));
}

// FNV-1a over the upper-cased UTF-16 code units: Windows paths ignore case.
uint32_t pathHash(const QString& fullPath) {
    std::wstring upper(fullPath.c_str(), static_cast<size_t>(fullPath.GetLength()));
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    uint32_t hash = 2166136261u;
    for (wchar_t character : upper) {
        const unsigned unit = static_cast<unsigned>(character);
        hash = (hash ^ (unit & 0xFF)) * 16777619u;
        hash = (hash ^ (unit >> 8)) * 16777619u;
    }
    return hash;
}

bool parseBackupName(const wchar_t* name, SYSTEMTIME& time) {
    unsigned year, month, day, hour, minute, second;
    wchar_t rest[16] = {};
    if (swscanf(name, L"%4u-%2u-%2u %2u-%2u-%2u%15ls", &year, &month, &day, &hour, &minute, &second, rest) != 7) {
        return false;
    }
    if (wcscmp(rest, L".data") != 0 || wcslen(name) != 24) return false;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) return false;
    time = SYSTEMTIME{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    return true;
}

}  // namespace

QString defaultBackupsRoot() {
    const QString chosen = environmentValue(L"VORLEN_BACKUPS");
    if (!chosen.IsEmpty()) return chosen;
    return environmentValue(L"LOCALAPPDATA") + L"\\Vorlen\\Backups";
}

QString backupFolderOf(const QString& root, const QString& databasePath) {
    const QString fullPath = fullPathOf(databasePath);
    const wchar_t* name = fullPath.c_str();
    for (const wchar_t* at = name; *at; ++at) {
        if (*at == L'\\' || *at == L'/' || *at == L':') name = at + 1;
    }
    QString folder;
    folder.Format(L"%ls\\%ls-%08x", root.c_str(), name, static_cast<unsigned>(pathHash(fullPath)));
    return folder;
}

QString backupFileName(const SYSTEMTIME& localTime) {
    QString name;
    name.Format(L"%04u-%02u-%02u %02u-%02u-%02u.data", localTime.wYear, localTime.wMonth, localTime.wDay,
                localTime.wHour, localTime.wMinute, localTime.wSecond);
    return name;
}

std::vector<BackupFile> listBackups(const QString& folder) {
    std::vector<BackupFile> found;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder + L"\\*.data").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        BackupFile file;
        if (!parseBackupName(data.cFileName, file.localTime)) continue;
        file.path = folder + L"\\" + data.cFileName;
        file.bytes = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        found.push_back(file);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    // The names sort as their times do.
    std::sort(found.begin(), found.end(), [](const BackupFile& a, const BackupFile& b) {
        return wcscmp(a.path.c_str(), b.path.c_str()) > 0;
    });
    return found;
}

void createFolders(const QString& folder) {
    if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return;
    if (GetLastError() != ERROR_PATH_NOT_FOUND) throw QError::FromLastError();
    const wchar_t* text = folder.c_str();
    const wchar_t* last = wcsrchr(text, L'\\');
    if (!last || last == text) throw QError::FromLastError();
    createFolders(QString(text, static_cast<int>(last - text)));
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        throw QError::FromLastError();
    }
}

}  // namespace store
