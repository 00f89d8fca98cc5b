#include "concurrent_writer.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "test_support.h"

int runConcurrentWriter(const std::vector<std::wstring>& arguments) {
    if (arguments.size() != 6) return 2;
    const std::wstring& path = arguments[1];
    const wchar_t* passwords[2] = {arguments[2].c_str(), arguments[3].c_str()};
    const int cards = std::wcstol(arguments[4].c_str(), nullptr, 10);
    std::FILE* acknowledged = _wfopen(arguments[5].c_str(), L"a");
    if (!acknowledged) return 2;
    int current = 0;
    for (int card = 0; card < cards; ++card) {
        // The file is free for a moment between adds.
        Sleep(static_cast<DWORD>(card % 4));
        for (int attempt = 0; attempt < 50; ++attempt) {
            Connection db(path, passwords[current], nullptr, SQLITE_OPEN_READWRITE);
            // A file held by someone else is tried again every millisecond or
            // two rather than at the engine's slow default pace (a setting of
            // the whole process), so the add comes the moment the file is
            // free again.
            int retry[2] = {100, 1};
            sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_WIN32_AV_RETRY, retry);
            sqlite3_busy_timeout(db.get(), 60000);
            const int rc = db.exec("INSERT INTO tab (title, parent, position, txt, rtf) VALUES ('writer " +
                                   std::to_string(card) + "', 0, '', 'written beside a rekey', '')");
            if (rc == SQLITE_OK) {
                std::fprintf(acknowledged, "%d\n", card);
                std::fflush(acknowledged);
                break;
            }
            // The file went to the other password meanwhile.
            if (rc == SQLITE_NOTADB) current = 1 - current;
        }
    }
    std::fclose(acknowledged);
    return 0;
}
