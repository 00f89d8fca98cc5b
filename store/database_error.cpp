#include "store/database_error.h"

#include "store/cipher/damage_message.h"
#include "store/cipher/database_key.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

QError databaseError(sqlite3* connection) {
    const int code = sqlite3_extended_errcode(connection);
    // A page that failed its check is named, rather than left as an I/O error.
    if (code == SQLITE_IOERR_DATA) {
        const uint32_t page = damagedPage(connection);
        if (page != 0) return QError(damagedFileMessage(page), code);
    }
    // Another program's lock outlasted the wait (a password being changed,
    // say): the file is busy, nothing is wrong with it.
    if ((code & 0xFF) == SQLITE_BUSY) {
        return QError(L"The file is busy: another program is using it (changing its password, perhaps). Try again "
                      L"in a moment.",
                      code);
    }
    if (code == SQLITE_NOTADB && keyWasVerified(connection)) {
        return QError(L"The file was changed by another program while it was open here: its password was set, "
                      L"changed or removed. Open it again.",
                      code);
    }
    const void* message = sqlite3_errmsg16(connection);
    return QError(QString(message ? static_cast<const wchar_t*>(message) : L""), code);
}
