#pragma once

#include <thread>

#include "core/qstring.h"
#include "store/cipher/cipher_key.h"

// The backup made when a database is opened, at most once a day per file,
// on a thread of its own: the window goes on meanwhile. One at a time; the
// last one is waited for before the next starts and when the window ends.
class BackgroundBackup {
public:
    BackgroundBackup() = default;
    BackgroundBackup(const BackgroundBackup&) = delete;
    BackgroundBackup& operator=(const BackgroundBackup&) = delete;
    ~BackgroundBackup();

    void StartDaily(const kiln::qstd::QString& backupsRoot, const kiln::qstd::QString& databasePath,
                    const CipherKey& key);
    void Wait();

private:
    std::thread worker;
};
