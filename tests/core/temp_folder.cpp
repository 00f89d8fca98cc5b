#include "temp_folder.h"

using kiln::qstd::QString;

TempFolder::TempFolder() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    for (unsigned attempt = 0; length > 0; ++attempt) {
        path.Format(L"%score_tests_%lu_%u", temp, GetCurrentProcessId(), attempt);
        if (CreateDirectoryW(path, nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    path.Empty();
}

TempFolder::~TempFolder() {
    if (path.IsEmpty()) return;
    // The long form reaches names that the plain form cannot, such as names
    // ending in a blank.
    const QString longFolder = L"\\\\?\\" + path;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(longFolder + L"\\*", &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0) continue;
            DeleteFileW(longFolder + L'\\' + found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(longFolder);
}

QString TempFolder::PathOf(const wchar_t* name) const {
    return path + L'\\' + name;
}
