#include "store/database_error.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

QError databaseError(sqlite3* connection) {
    const void* message = sqlite3_errmsg16(connection);
    return QError(QString(message ? static_cast<const wchar_t*>(message) : L""),
                  sqlite3_extended_errcode(connection));
}
