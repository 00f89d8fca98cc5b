#pragma once

#include <sqlite3.h>

#include "core/qbuffer.h"
#include "core/qstring.h"
#include "store/card_id.h"

// Holder of one prepared statement. The statement is finalized when the holder
// is destroyed, also while an exception passes, so no code path can leave a
// statement behind that would keep the connection from closing.
class CardStatement {
public:
    CardStatement() = default;
    CardStatement(const CardStatement&) = delete;
    CardStatement& operator=(const CardStatement&) = delete;
    CardStatement(CardStatement&& other) noexcept;
    CardStatement& operator=(CardStatement&& other) noexcept;
    ~CardStatement();

    // Only the first statement of the text is prepared. A failure raises the
    // connection's error and leaves the holder empty.
    void prepare(sqlite3* connection, const char* sql);
    void prepare16(sqlite3* connection, const wchar_t* sql);

    void bindId(int index, CardId id);
    void bindInt64(int index, sqlite3_int64 value);
    // An empty string is bound as the empty text, never as NULL.
    void bindText(int index, const kiln::qstd::QString& text);
    // Exactly the buffer's byte count, also when it is 0.
    void bindBlob(int index, const kiln::qstd::QBuffer& bytes);
    // The same without the engine's copy, for values of hundreds of
    // megabytes: the caller keeps them unchanged until the statement has
    // been stepped.
    void bindTextInPlace(int index, const kiln::qstd::QString& text);
    void bindBlobInPlace(int index, const kiln::qstd::QBuffer& bytes);

    // SQLITE_ROW or SQLITE_DONE; any other result raises the engine's error.
    int step();

    int getInt(int column) const;
    sqlite3_int64 getInt64(int column) const;
    CardId getId(int column) const { return getInt64(column); }
    // A NULL column reads as the empty text.
    kiln::qstd::QString getText(int column) const;
    // The column's bytes and their number; null with size 0 for an empty value.
    const void* getBlob(int column, int& size) const;
    kiln::qstd::QBuffer getBuffer(int column) const;
    bool isNull(int column) const;

    void finalize();
    bool isPrepared() const { return statement != nullptr; }
    sqlite3_stmt* getHandle() const { return statement; }

private:
    void checkBind(int result) const;

    sqlite3_stmt* statement = nullptr;
};
