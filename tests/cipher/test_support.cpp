#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include "core/qstring.h"
#include "store/cipher/database_key.h"
#include "tests/support/folder_removal.h"

ScratchDirectory::ScratchDirectory() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    wchar_t name[64];
    std::swprintf(name, 64, L"vorlen-cipher-%lu-%d", GetCurrentProcessId(), ++serial);
    root = std::wstring(temp) + name;
    CreateDirectoryW(root.c_str(), nullptr);
}

ScratchDirectory::~ScratchDirectory() {
    RemoveFolderTree(root);
}

Bytes readFileBytes(const std::wstring& path) {
    Bytes bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size;
    GetFileSizeEx(file, &size);
    bytes.resize(size_t(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

void writeFileBytes(const std::wstring& path, const Bytes& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n - 1 : 0), '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

bool contains(const Bytes& haystack, const std::string& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

CipherKey keyOf(const std::wstring& password, CipherFormat format) {
    return CipherKey(kiln::qstd::QString(password.c_str()), format);
}

namespace {

using DerivedKeys = std::map<std::pair<std::wstring, std::string>, CipherKey>;

DerivedKeys& derivedKeys() {
    static DerivedKeys keys;
    return keys;
}

// The salt of a format 2 file as it stands, or empty.
std::string saltOf(const std::wstring& path) {
    const Bytes bytes = readFileBytes(path);
    if (bytes.size() < 4096 || !authenticated_page::hasMark(bytes.data())) return std::string();
    return std::string(bytes.begin() + authenticated_page::kSaltOffset, bytes.begin() + 4096);
}

}  // namespace

Connection::Connection(const std::wstring& path, const wchar_t* password, const char* vfs, int flags,
                       CipherFormat format) {
    sqlite3_open_v2(utf8(path).c_str(), &db, flags, vfs);
    if (!password) return;
    this->password = password;
    const auto known = derivedKeys().find({this->password, saltOf(path)});
    setDatabaseKey(db, known != derivedKeys().end() ? known->second : keyOf(password, format));
}

Connection::~Connection() {
    // After a rekey the connection holds another password's key.
    const CipherKey key = password.empty() ? CipherKey() : databaseKey(db);
    const authenticated_page::PageKeys* keys = key.pageKeys();
    if (keys && key == keyOf(password, key.format())) {
        const char* salt = reinterpret_cast<const char*>(keys->salt());
        derivedKeys()[{password, std::string(salt, salt + authenticated_page::kSaltBytes)}] = key;
    }
    sqlite3_close_v2(db);
}

int Connection::exec(const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

std::string Connection::text(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    std::string result = "<error>";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW) {
            const unsigned char* value = sqlite3_column_text(statement, 0);
            result = value ? reinterpret_cast<const char*>(value) : "";
        } else if (rc == SQLITE_DONE) {
            result = "";
        }
    }
    sqlite3_finalize(statement);
    return result;
}

int64_t Connection::number(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    int64_t result = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        result = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    return result;
}

const char kCardSchema[] =
    "create table IF NOT EXISTS tab (id integer primary key autoincrement, title text, parent integer, "
    "position integer, txt text, rtf blob )";

const char kPlainMarker[] = "PLAINTEXT-MARKER";

void addCards(Connection& db, int count, const std::string& tag) {
    ASSERT_EQ(db.exec(kCardSchema), SQLITE_OK) << db.error();
    ASSERT_EQ(db.exec("BEGIN"), SQLITE_OK) << db.error();
    for (int i = 0; i < count; ++i) {
        const std::string body(3000, char('a' + i % 26));
        const std::string sql = "INSERT INTO tab (title, parent, position, txt, rtf) VALUES ('" + tag + " card " +
                                std::to_string(i) + "', 0, '', '" + kPlainMarker + " " + tag + " " + body +
                                "', CAST('{\\rtf1 " + tag + "}' AS BLOB))";
        ASSERT_EQ(db.exec(sql), SQLITE_OK) << db.error();
    }
    ASSERT_EQ(db.exec("COMMIT"), SQLITE_OK) << db.error();
}

std::string cardDigest(Connection& db) {
    return db.text("SELECT count(*) || ':' || group_concat(id || '|' || title || '|' || parent || '|' || "
                   "length(txt) || '|' || substr(txt, 1, 40) || '|' || hex(rtf), ';') FROM "
                   "(SELECT * FROM tab ORDER BY id)");
}

const char* formatName(CipherFormat format) {
    switch (format) {
    case CipherFormat::plain:
        return "plain";
    case CipherFormat::format1:
        return "format 1";
    case CipherFormat::format2:
        break;
    }
    return "format 2";
}
