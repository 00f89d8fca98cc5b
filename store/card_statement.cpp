#include "store/card_statement.h"

#include <utility>

#include "store/database_error.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

CardStatement::CardStatement(CardStatement&& other) noexcept
    : statement(std::exchange(other.statement, nullptr)) {}

CardStatement& CardStatement::operator=(CardStatement&& other) noexcept {
    if (this != &other) {
        finalize();
        statement = std::exchange(other.statement, nullptr);
    }
    return *this;
}

CardStatement::~CardStatement() {
    finalize();
}

void CardStatement::prepare(sqlite3* connection, const char* sql) {
    finalize();
    if (!connection) throw QError(L"No database is open.");
    if (sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr) != SQLITE_OK) {
        statement = nullptr;
        throw databaseError(connection);
    }
}

void CardStatement::prepare16(sqlite3* connection, const wchar_t* sql) {
    finalize();
    if (!connection) throw QError(L"No database is open.");
    if (sqlite3_prepare16_v2(connection, sql, -1, &statement, nullptr) != SQLITE_OK) {
        statement = nullptr;
        throw databaseError(connection);
    }
}

void CardStatement::checkBind(int result) const {
    if (result != SQLITE_OK) throw databaseError(sqlite3_db_handle(statement));
}

void CardStatement::bindId(int index, CardId id) {
    checkBind(sqlite3_bind_int64(statement, index, id));
}

void CardStatement::bindInt64(int index, sqlite3_int64 value) {
    checkBind(sqlite3_bind_int64(statement, index, value));
}

void CardStatement::bindText(int index, const QString& text) {
    // Transient: the engine keeps its own copy, so a caller may bind a
    // temporary string and step later.
    checkBind(sqlite3_bind_text16(statement, index, text.c_str(), -1, SQLITE_TRANSIENT));
}

void CardStatement::bindTextInPlace(int index, const QString& text) {
    checkBind(sqlite3_bind_text16(statement, index, text.c_str(), -1, SQLITE_STATIC));
}

namespace {

// A zero-length blob with a null pointer would be bound as NULL.
const void* blobData(const QBuffer& bytes) {
    static const unsigned char kNoBytes = 0;
    return bytes.GetCount() ? static_cast<const void*>(bytes.GetData()) : &kNoBytes;
}

}  // namespace

void CardStatement::bindBlob(int index, const QBuffer& bytes) {
    checkBind(sqlite3_bind_blob(statement, index, blobData(bytes), static_cast<int>(bytes.GetCount()),
                                SQLITE_TRANSIENT));
}

void CardStatement::bindBlobInPlace(int index, const QBuffer& bytes) {
    checkBind(sqlite3_bind_blob(statement, index, blobData(bytes), static_cast<int>(bytes.GetCount()),
                                SQLITE_STATIC));
}

int CardStatement::step() {
    if (!statement) throw QError(L"No statement is prepared.");
    const int result = sqlite3_step(statement);
    if (result != SQLITE_ROW && result != SQLITE_DONE) throw databaseError(sqlite3_db_handle(statement));
    return result;
}

int CardStatement::getInt(int column) const {
    return sqlite3_column_int(statement, column);
}

sqlite3_int64 CardStatement::getInt64(int column) const {
    return sqlite3_column_int64(statement, column);
}

QString CardStatement::getText(int column) const {
    const void* text = sqlite3_column_text16(statement, column);
    if (!text) return QString();
    const int bytes = sqlite3_column_bytes16(statement, column);
    return QString(static_cast<const wchar_t*>(text), bytes / static_cast<int>(sizeof(wchar_t)));
}

const void* CardStatement::getBlob(int column, int& size) const {
    const void* bytes = sqlite3_column_blob(statement, column);
    size = sqlite3_column_bytes(statement, column);
    return bytes;
}

QBuffer CardStatement::getBuffer(int column) const {
    int size = 0;
    const void* bytes = getBlob(column, size);
    QBuffer buffer;
    buffer.Append(bytes, static_cast<unsigned>(size));
    return buffer;
}

bool CardStatement::isNull(int column) const {
    return sqlite3_column_type(statement, column) == SQLITE_NULL;
}

void CardStatement::finalize() {
    if (statement) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
}
