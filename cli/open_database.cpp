#include "cli/open_database.h"

#include <windows.h>

#include "core/qerror.h"
#include "store/card_operations.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

QError cannot(const wchar_t* what, const QString& path, const wchar_t* how, const QString& reason, int code = 0) {
    return QError(QString(what) + L" \"" + path + L"\"" + how + L": " + reason, code);
}

}  // namespace

void openCardFile(CardDatabase& database, const QString& path, const GlobalOptions&) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw cannot(L"Cannot open", path, L"", L"the file does not exist.");
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw cannot(L"Cannot open", path, L"", L"it is a folder.");
    try {
        database.openFile(path);
        store::checkCardTable(database);
    } catch (const QError& error) {
        database.close();
        throw cannot(L"Cannot open", path, L" as a card database", error.message, error.code);
    }
}

void createCardFile(CardDatabase& database, const QString& path) {
    try {
        store::createCardDatabase(database, path);
    } catch (const QError& error) {
        throw cannot(L"Cannot create", path, L"", error.message, error.code);
    }
}
