#include "store/card_database.h"

#include <windows.h>

#include "core/qmultibytestr.h"
#include "store/card_id.h"
#include "store/card_statements.h"
#include "store/card_write_log.h"
#include "store/database_error.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QMultiByteStr;
using kiln::qstd::QString;

namespace {

// Owns a connection that is not installed yet, so that any failure on the way
// closes it and leaves the installed one untouched.
class PendingConnection {
public:
    PendingConnection() = default;
    PendingConnection(const PendingConnection&) = delete;
    PendingConnection& operator=(const PendingConnection&) = delete;
    ~PendingConnection() {
        if (handle) sqlite3_close_v2(handle);
    }

    sqlite3** out() { return &handle; }
    sqlite3* get() const { return handle; }
    sqlite3* release() {
        sqlite3* opened = handle;
        handle = nullptr;
        return opened;
    }

private:
    sqlite3* handle = nullptr;
};

void executeOn(sqlite3* connection, const char* sql) {
    CardStatement statement;
    statement.prepare(connection, sql);
    statement.step();
}

}  // namespace

CardDatabase::~CardDatabase() {
    close();
}

bool CardDatabase::openUtf8(const char* path, bool create) {
    const int flags = create ? (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) : SQLITE_OPEN_READWRITE;
    PendingConnection opened;
    if (sqlite3_open_v2(path, opened.out(), flags, nullptr) != SQLITE_OK) {
        throw databaseError(opened.get());
    }
    if (create) executeOn(opened.get(), kCreationMarkSql);

    stopWatching();
    sqlite3* previous = connection;
    connection = opened.release();
    sqlite3_busy_timeout(connection, kBusyTimeoutMs);
    if (previous) sqlite3_close_v2(previous);
    return true;
}

bool CardDatabase::isReadOnly() const {
    return connection && sqlite3_db_readonly(connection, "main") == 1;
}

void CardDatabase::setBusyTimeout(int milliseconds) {
    if (connection) sqlite3_busy_timeout(connection, milliseconds);
}

bool CardDatabase::openFile(const QString& path) {
    const QMultiByteStr utf8(path.c_str(), CP_UTF8);
    openUtf8(utf8.c_str(), false);
    // Earlier versions rekeyed through copies beside the file; one left by a
    // rekey that was ended is never needed again, and after a password was
    // removed it holds the cards in plain.
    DeleteFileW((path + L"-rekey").c_str());
    DeleteFileW((path + L"-rekey-pages").c_str());
    return true;
}

bool CardDatabase::createFile(const QString& path) {
    // A missing file is the usual case; any other reason to fail shows up as
    // the open's own error.
    DeleteFileW(path.c_str());
    const QMultiByteStr utf8(path.c_str(), CP_UTF8);
    return openUtf8(utf8.c_str(), true);
}

void CardDatabase::watchWrites(std::shared_ptr<CardWriteLog> log) {
    stopWatching();
    if (!connection || !log) return;
    writeLog = std::move(log);
    writeLog->Watch(connection);
}

void CardDatabase::stopWatching() {
    if (connection && writeLog) CardWriteLog::Unwatch(connection);
    writeLog.reset();
}

void CardDatabase::close() {
    stopWatching();
    if (connection) {
        // Deferred close: a statement still alive somewhere cannot keep the
        // handle (and the file) open forever.
        sqlite3_close_v2(connection);
        connection = nullptr;
    }
}

void CardDatabase::execute(const char* sql) {
    prepare(sql).step();
}

void CardDatabase::execute16(const wchar_t* sql) {
    prepare16(sql).step();
}

void CardDatabase::executeWithId(const char* sql, CardId id) {
    prepareWithId(sql, id).step();
}

void CardDatabase::executeWithText(const char* sql, const QString& text) {
    CardStatement statement = prepare(sql);
    statement.bindText(1, text);
    statement.step();
}

CardStatement CardDatabase::prepare(const char* sql) {
    CardStatement statement;
    statement.prepare(connection, sql);
    return statement;
}

CardStatement CardDatabase::prepare16(const wchar_t* sql) {
    CardStatement statement;
    statement.prepare16(connection, sql);
    return statement;
}

CardStatement CardDatabase::prepareWithId(const char* sql, CardId id) {
    CardStatement statement = prepare(sql);
    statement.bindId(1, id);
    return statement;
}

void CardDatabase::saveCardContent(const QString& txt, const QBuffer& rtf, CardId id) {
    // A card may hold hundreds of megabytes: the engine reads them where
    // they are, the statement being stepped while they are still here.
    CardStatement statement = prepare(kSaveContentSql);
    statement.bindTextInPlace(1, txt);
    statement.bindBlobInPlace(2, rtf);
    statement.bindId(3, id);
    try {
        statement.step();
    } catch (const kiln::qstd::QError& error) {
        // The engine's own words ("string or blob too big") would not say what was too big.
        if ((error.code & 0xFF) != SQLITE_TOOBIG) throw;
        throw kiln::qstd::QError(L"The card was not saved: its text and its RTF together are more than the "
                                 L"1000000000 bytes a card can hold.",
                                 error.code);
    }
    // An UPDATE of no row succeeds in SQL; to the user the edits are lost.
    if (changedRows() == 0) {
        throw kiln::qstd::QError(L"The card was not saved: there is no card with the id " + cardIdText(id) + L".");
    }
}

void CardDatabase::rename(const QString& title, CardId id) {
    CardStatement statement = prepare16(kRenameSql);
    statement.bindText(1, title);
    statement.bindId(2, id);
    statement.step();
}

CardStatement CardDatabase::prepareMove(CardId newParentId, CardId id) {
    CardStatement statement = prepare(kMoveSql);
    statement.bindId(1, newParentId);
    statement.bindId(2, id);
    return statement;
}

CardStatement CardDatabase::prepareInsert(const QString& title, sqlite3_int64 parentId, const QString& txt,
                                          const QBuffer& rtf) {
    CardStatement statement = prepare(kInsertWholeCardSql);
    statement.bindText(1, title);
    statement.bindInt64(2, parentId);
    statement.bindText(3, txt);
    statement.bindBlob(4, rtf);
    return statement;
}

CardId CardDatabase::lastInsertId() const {
    return connection ? sqlite3_last_insert_rowid(connection) : 0;
}

int CardDatabase::changedRows() const {
    return connection ? sqlite3_changes(connection) : 0;
}
