#include "cli/password_commands.h"

#include <windows.h>

#include <cwchar>

#include "cli/backup_commands.h"
#include "cli/open_database.h"
#include "core/qerror.h"
#include "store/card_database.h"
#include "store/cipher/encrypted_file.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

// Two entries are the same only when both are non-empty and equal unit for unit.
bool same(const QString& a, const QString& b) {
    return !a.IsEmpty() && !b.IsEmpty() && std::wcscmp(a.c_str(), b.c_str()) == 0;
}

// Format 1 only when asked for: files that older versions can open.
CipherFormat newFormat(const Invocation& invocation) {
    return invocation.arguments.option(L"--compatible") ? CipherFormat::format1 : CipherFormat::format2;
}

QString nextPassword(const Invocation& invocation) {
    QString password;
    invocation.in.readLine(password);
    return password;
}

QError notACardDatabase(const QString& path) {
    return QError(L"Cannot open \"" + path + L"\": it is not a card database.");
}

void setPassword(const Invocation& invocation, const QString& path) {
    if (!mayBeCardDatabase(path)) throw notACardDatabase(path);
    if (isEncryptedFile(path)) throw QError(L"Database already encrypted!");
    const QString password = nextPassword(invocation);
    if (password.IsEmpty()) throw QError(L"You must set a nonempty password!");
    CardDatabase database;
    openCardFileWithPassword(database, path, QString());
    backUpBeforeChange(invocation, database, path);
    database.changeKey(password, newFormat(invocation));
}

void changePassword(const Invocation& invocation, const QString& path) {
    if (!isEncryptedFile(path)) throw QError(L"Database not encrypted!");
    const QString oldPassword = nextPassword(invocation);
    const QString newPassword = nextPassword(invocation);
    CardDatabase database;
    try {
        openCardFileWithPassword(database, path, oldPassword);
    } catch (const QError& error) {
        if (error.code == 0) throw QError(L"Old password don`t match!");
        throw;
    }
    if (same(newPassword, oldPassword)) throw QError(L"New password is same as the old one!");
    if (newPassword.IsEmpty()) throw QError(L"You must set a nonempty password!");
    backUpBeforeChange(invocation, database, path);
    database.changeKey(newPassword, newFormat(invocation));
}

void removePassword(const Invocation& invocation, const QString& path) {
    if (invocation.arguments.option(L"--compatible")) throw UsageError{L"--compatible is for set and change."};
    if (!isEncryptedFile(path)) throw QError(L"Database not encrypted!");
    CardDatabase database;
    openCardFileWithPassword(database, path, nextPassword(invocation));
    backUpBeforeChange(invocation, database, path);
    database.changeKey(QString());
    invocation.out.writeLine(L"Password removed!");
}

}  // namespace

void runInfo(const Invocation& invocation) {
    const QString path = invocation.arguments.positional(0);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw QError(L"Cannot open \"" + path + L"\": the file does not exist.");
    }
    if (!mayBeCardDatabase(path)) throw notACardDatabase(path);
    const CipherFormat format = fileCipherFormat(path);
    const wchar_t* names[] = {L"plain", L"format 1", L"format 2"};
    invocation.out.writeLine(QString(L"format: ") + names[static_cast<int>(format)]);
    wchar_t pageSize[32];
    std::swprintf(pageSize, 32, L"page size: %lu", static_cast<unsigned long>(filePageSize(path, format)));
    invocation.out.writeLine(pageSize);
}

void runPassword(const Invocation& invocation) {
    const wchar_t* action = invocation.arguments.positional(0);
    const QString path = invocation.arguments.positional(1);
    // Standard input carries these commands' own passwords.
    if (invocation.options.passwordFromStdin) {
        throw UsageError{L"The password commands read their passwords from standard input; "
                         L"give them without --password-stdin."};
    }
    requireWritableFile(path);
    if (std::wcscmp(action, L"set") == 0) {
        setPassword(invocation, path);
    } else if (std::wcscmp(action, L"change") == 0) {
        changePassword(invocation, path);
    } else if (std::wcscmp(action, L"remove") == 0) {
        removePassword(invocation, path);
    } else {
        throw UsageError{QString(L"Unknown password action: ") + action + L" (set, change or remove)."};
    }
}
