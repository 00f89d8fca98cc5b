#include "cli/open_database.h"

#include <windows.h>

#include "core/qerror.h"
#include "store/card_operations.h"
#include "store/cipher/cipher_key.h"
#include "store/cipher/database_key.h"
#include "store/cipher/encrypted_file.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

// Whether the file may be an enciphered card database; anything else that
// fails to open is no database, whatever the password.
bool mayBeEnciphered(const QString& path) {
    return fileCipherFormat(path) != CipherFormat::plain && mayBeCardDatabase(path);
}

QError cannot(const wchar_t* what, const QString& path, const wchar_t* how, const QString& reason, int code = 0) {
    return QError(QString(what) + L" \"" + path + L"\"" + how + L": " + reason, code);
}

}  // namespace

void openCardFile(CardDatabase& database, const QString& path, const GlobalOptions& options) {
    openCardFileWithPassword(database, path, options.password);
}

void openCardFileWithPassword(CardDatabase& database, const QString& path, const QString& password) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw cannot(L"Cannot open", path, L"", L"the file does not exist.");
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw cannot(L"Cannot open", path, L"", L"it is a folder.");
    const bool enciphered = mayBeEnciphered(path);
    try {
        database.openFile(path);
        // The key is tested by reading, not by the mark the program writes on
        // opening, so that looking at cards never writes to the file.
        if (enciphered && !password.IsEmpty() &&
            setDatabaseKey(database.getConnection(), CipherKey(password)) != SQLITE_OK) {
            throw QError(L"Invalid password!");
        }
        store::checkCardTable(database);
    } catch (const QError& error) {
        database.close();
        // The file's own damage, told as it is: the password was right.
        if (error.code == SQLITE_IOERR_DATA) throw;
        if (enciphered && (error.code == 0 || error.code == SQLITE_NOTADB)) {
            throw QError(L"Cannot open \"" + path + L"\": it is not a card database, or the password is wrong.", 0);
        }
        throw cannot(L"Cannot open", path, L" as a card database", error.message, error.code);
    }
}

void requireWritableFile(const QString& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        throw cannot(L"Cannot change", path, L"", L"the file is read-only.");
    }
}

void createCardFile(CardDatabase& database, const QString& path, bool replace) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw cannot(L"Cannot create", path, L"", L"it is a folder.");
        if (!replace) {
            throw cannot(L"Cannot create", path, L"", L"the file exists; give --force to replace it.");
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) throw cannot(L"Cannot create", path, L"", L"the file is read-only.");
    }
    try {
        store::createCardDatabase(database, path);
    } catch (const QError& error) {
        throw cannot(L"Cannot create", path, L"", error.message, error.code);
    }
}
