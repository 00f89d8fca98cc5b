// Reading every card of a 50 MB card database and saving cards 10,000 times,
// plain, in format 1 and in format 2, in one run, and rekeying the 50 MB
// database into each format. Prints figures; the enciphered/plain ratios are
// what each format costs.
#include <sqlite3.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/qerror.h"
#include "core/qstring.h"
#include "store/cipher/database_key.h"
#include "store/cipher/rekey.h"

namespace {

constexpr int kCards = 4270;  // about 50 MB
constexpr int kSaves = 10000;
constexpr int kRtfBytes = 8 * 1024;
constexpr int kTextBytes = 2 * 1024;

double seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

std::string utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    return out;
}

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

const wchar_t kPassword[] = L"bench password";

// Opening a format 2 file derives its keys; that is timed apart, once.
sqlite3* open(const std::wstring& path, const wchar_t* password) {
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(utf8(path).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), db, "open");
    if (password) check(setDatabaseKey(db, CipherKey(kiln::qstd::QString(password))), db, "key");
    check(sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr), db, "first read");
    return db;
}

std::string filler(int bytes, int seed) {
    std::string text(size_t(bytes), ' ');
    unsigned state = unsigned(seed) * 2654435761u + 1;
    for (char& c : text) {
        state = state * 1103515245u + 12345u;
        c = char('a' + (state >> 16) % 26);
    }
    return text;
}

void createCards(const std::wstring& path) {
    sqlite3* db = open(path, nullptr);
    check(sqlite3_exec(db,
                       "create table IF NOT EXISTS tab (id integer primary key autoincrement, title text, parent "
                       "integer, position integer, txt text, rtf blob ); BEGIN;",
                       nullptr, nullptr, nullptr),
          db, "schema");
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO tab (title, parent, position, txt, rtf) VALUES (?, 0, '', ?, ?)", -1,
                             &insert, nullptr),
          db, "prepare");
    for (int i = 0; i < kCards; ++i) {
        const std::string title = "Card " + std::to_string(i);
        const std::string text = filler(kTextBytes, i);
        const std::string rtf = "{\\rtf1 " + filler(kRtfBytes - 8, i + kCards) + "}";
        sqlite3_bind_text(insert, 1, title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, text.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_blob(insert, 3, rtf.data(), int(rtf.size()), SQLITE_TRANSIENT);
        check(sqlite3_step(insert), db, "insert");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

// Best of three runs, each on a fresh connection (the engine's cache cold,
// the system's warm), stepping every card and touching its content.
double readAllCards(const std::wstring& path, const wchar_t* password) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        sqlite3* db = open(path, password);
        // The first read above filled the cache with the schema only.
        sqlite3_db_release_memory(db);
        const double start = seconds();
        sqlite3_stmt* select = nullptr;
        check(sqlite3_prepare_v2(db, "SELECT id, title, txt, rtf FROM tab", -1, &select, nullptr), db, "select");
        long long bytes = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            bytes += sqlite3_column_bytes(select, 2) + sqlite3_column_bytes(select, 3);
            sqlite3_column_blob(select, 3);
        }
        sqlite3_finalize(select);
        best = std::min(best, seconds() - start);
        sqlite3_close(db);
        if (bytes < (long long)kCards * kRtfBytes) std::exit(2);
    }
    return best;
}

// Each save its own transaction, as saving the card in the editor is.
double saveCards(const std::wstring& path, const wchar_t* password, int saves) {
    sqlite3* db = open(path, password);
    sqlite3_stmt* update = nullptr;
    check(sqlite3_prepare_v2(db, "UPDATE tab SET txt = ?, rtf= ? WHERE id= ?", -1, &update, nullptr), db, "update");
    const std::string text = filler(kTextBytes, 7);
    const std::string rtf = "{\\rtf1 " + filler(kRtfBytes - 8, 8) + "}";
    const double start = seconds();
    for (int i = 0; i < saves; ++i) {
        sqlite3_bind_text(update, 1, text.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_blob(update, 2, rtf.data(), int(rtf.size()), SQLITE_STATIC);
        sqlite3_bind_int64(update, 3, (i * 7919) % kCards + 1);
        check(sqlite3_step(update), db, "save");
        sqlite3_reset(update);
    }
    const double elapsed = seconds() - start;
    sqlite3_finalize(update);
    sqlite3_close(db);
    return elapsed;
}

struct Variant {
    const char* name;
    std::wstring path;
    const wchar_t* password;
};

double rekeyInto(const std::wstring& path, CipherFormat format) {
    sqlite3* db = open(path, nullptr);
    const double start = seconds();
    try {
        rekeyDatabase(db, CipherKey(kiln::qstd::QString(kPassword), format));
    } catch (const kiln::qstd::QError&) {
        std::fprintf(stderr, "rekey failed\n");
        std::exit(1);
    }
    const double elapsed = seconds() - start;
    sqlite3_close(db);
    return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    const int saves = argc > 1 ? std::atoi(argv[1]) : kSaves;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring directory = std::wstring(temp) + L"vorlen-cipher-bench";
    CreateDirectoryW(directory.c_str(), nullptr);
    const Variant variants[] = {
        {"plain", directory + L"\\plain.data", nullptr},
        {"format 1", directory + L"\\format1.data", kPassword},
        {"format 2", directory + L"\\format2.data", kPassword},
    };
    for (const Variant& variant : variants) DeleteFileW(variant.path.c_str());

    createCards(variants[0].path);
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    GetFileAttributesExW(variants[0].path.c_str(), GetFileExInfoStandard, &attributes);
    std::printf("database: %d cards, %.1f MB\n", kCards, attributes.nFileSizeLow / 1048576.0);
    for (int i = 1; i <= 2; ++i) {
        CopyFileW(variants[0].path.c_str(), variants[i].path.c_str(), FALSE);
        const CipherFormat format = i == 1 ? CipherFormat::format1 : CipherFormat::format2;
        std::printf("rekey, plain to %s: %.3f s\n", variants[i].name, rekeyInto(variants[i].path, format));
    }

    double start = seconds();
    sqlite3_close(open(variants[2].path, kPassword));
    std::printf("opening format 2 (the key derived once per opening): %.3f s\n", seconds() - start);

    double read[3];
    for (int i = 0; i < 3; ++i) read[i] = readAllCards(variants[i].path, variants[i].password);
    std::printf("read every card: plain %.3f s, format 1 %.3f s (%.2fx), format 2 %.3f s (%.2fx)\n", read[0], read[1],
                read[1] / read[0], read[2], read[2] / read[0]);

    double save[3];
    for (int i = 0; i < 3; ++i) save[i] = saveCards(variants[i].path, variants[i].password, saves);
    std::printf("%d card saves: plain %.3f s, format 1 %.3f s (%.2fx), format 2 %.3f s (%.2fx)\n", saves, save[0],
                save[1], save[1] / save[0], save[2], save[2] / save[0]);

    for (const Variant& variant : variants) DeleteFileW(variant.path.c_str());
    RemoveDirectoryW(directory.c_str());
    return 0;
}
