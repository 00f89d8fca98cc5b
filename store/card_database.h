#pragma once

#include <functional>

#include <sqlite3.h>

#include <memory>

#include "core/qbuffer.h"
#include "core/qstring.h"
#include "store/card_statement.h"
#include "store/cipher/cipher_key.h"

class CardWriteLog;

// Owner of the one SQLite connection of a card database; every statement of
// the program runs through it. Failures raise QError with the engine's message
// and extended result code.
class CardDatabase {
public:
    // How long a statement waits for another process's lock before failing.
    static constexpr int kBusyTimeoutMs = 60000;

    CardDatabase() = default;
    CardDatabase(const CardDatabase&) = delete;
    CardDatabase& operator=(const CardDatabase&) = delete;
    ~CardDatabase();

    // The new connection replaces the installed one only once it is open (and,
    // when creating, marked); a failed open leaves the previous one in place.
    bool openUtf8(const char* path, bool create);
    // Also removes what an ended rekey of earlier versions left beside the file.
    bool openFile(const kiln::qstd::QString& path);
    // Replaces whatever file is at path with a new, marked database; the
    // table is made by the caller.
    bool createFile(const kiln::qstd::QString& path);
    void close();

    bool isOpen() const { return connection != nullptr; }
    // Whether the file could be opened for reading only (its attribute, a
    // read-only share or medium): every write through it would fail.
    bool isReadOnly() const;
    // How long a statement waits for another connection's lock before it
    // fails as busy (kBusyTimeoutMs until changed).
    void setBusyTimeout(int milliseconds);
    sqlite3* getConnection() const { return connection; }
    // Lists the cards this connection writes in log, until the connection
    // is closed or replaced; the database keeps the log alive until then.
    void watchWrites(std::shared_ptr<CardWriteLog> log);

    void execute(const char* sql);
    void execute16(const wchar_t* sql);
    void executeWithId(const char* sql, CardId id);
    void executeWithText(const char* sql, const kiln::qstd::QString& text);

    CardStatement prepare(const char* sql);
    CardStatement prepare16(const wchar_t* sql);
    CardStatement prepareWithId(const char* sql, CardId id);

    // Throws when no card has the id (deleted since it was loaded, say).
    void saveCardContent(const kiln::qstd::QString& txt, const kiln::qstd::QBuffer& rtf, CardId id);
    void rename(const kiln::qstd::QString& title, CardId id);
    // Stepped once by the caller.
    CardStatement prepareMove(CardId newParentId, CardId id);
    CardStatement prepareInsert(const kiln::qstd::QString& title, sqlite3_int64 parentId,
                                const kiln::qstd::QString& txt, const kiln::qstd::QBuffer& rtf);

    // Keys the open connection with the password and marks the file as opened
    // with one. "Invalid password!" (code 0) when the password does not open
    // the file; false for any other failure of the mark.
    bool applyKey(const kiln::qstd::QString& password);
    // Re-enciphers the open database under the password in the format given,
    // or makes it plain when the password is empty; all or nothing, and the
    // connection goes on under whichever key the file is under. A throw means
    // the file kept its old key, unless the message says otherwise. Format 1
    // only for users who ask for files older versions can open. progress hears
    // how far it is (0 to 1000); answering false cancels it, and the throw
    // then has the code SQLITE_INTERRUPT.
    bool changeKey(const kiln::qstd::QString& password, CipherFormat format = CipherFormat::format2,
                   const std::function<bool(unsigned permille)>& progress = {});
    // The format the open database's file is in.
    CipherFormat keyFormat() const;

    // The id of the card inserted last on this connection.
    CardId lastInsertId() const;
    // Rows changed by the last finished statement.
    int changedRows() const;

private:
    void stopWatching();

    sqlite3* connection = nullptr;
    std::shared_ptr<CardWriteLog> writeLog;
};
