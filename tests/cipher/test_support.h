#pragma once

#include <sqlite3.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/cipher/cipher_key.h"

using Bytes = std::vector<uint8_t>;

// A fresh directory under the system's temporary folder, removed with its
// files when the test ends.
class ScratchDirectory {
public:
    ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    ~ScratchDirectory();

    std::wstring path(const wchar_t* name) const { return root + L"\\" + name; }

private:
    std::wstring root;
};

Bytes readFileBytes(const std::wstring& path);
void writeFileBytes(const std::wstring& path, const Bytes& bytes);
bool fileExists(const std::wstring& path);
std::string utf8(const std::wstring& text);
bool contains(const Bytes& haystack, const std::string& needle);

CipherKey keyOf(const std::wstring& password, CipherFormat format = CipherFormat::format1);

// A connection that closes itself; opened with the given file system (null:
// the default, the enciphering layer) and, when given, keyed (the format is
// the one a new file gets; an existing file is read in its own). Keys
// derived for a format 2 file are kept for the next connection with the same
// password to the same salt, as one program keeps them for one file: the
// tests open files hundreds of times.
class Connection {
public:
    explicit Connection(const std::wstring& path, const wchar_t* password = nullptr, const char* vfs = nullptr,
                        int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        CipherFormat format = CipherFormat::format1);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    sqlite3* get() const { return db; }
    sqlite3*& handle() { return db; }
    // The result code of the statements, SQLITE_OK (or SQLITE_DONE / ROW) on success.
    int exec(const std::string& sql);
    std::string text(const std::string& sql);
    int64_t number(const std::string& sql);
    std::string error() const { return db ? sqlite3_errmsg(db) : ""; }

private:
    sqlite3* db = nullptr;
    std::wstring password;
};

// Card tables as the program makes them.
extern const char kCardSchema[];
// Adds cards whose texts say which they are and fill about a page each.
void addCards(Connection& db, int count, const std::string& tag);
// Every row of every card, in one text: two databases hold the same cards
// exactly when their digests agree.
std::string cardDigest(Connection& db);
// A marker no page of an enciphered file may show in plain.
extern const char kPlainMarker[];

// "format 1" or "format 2", for traces.
const char* formatName(CipherFormat format);
