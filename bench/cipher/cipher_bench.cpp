// Reading every card of a 50 MB card database and saving cards 10,000 times,
// plain, in format 1 and in format 2, in one run, and rekeying the 50 MB
// database into each format. Prints figures; the enciphered/plain ratios are
// what each format costs. The machine is shared: each read figure is the best
// of five, and the process's own processor time is printed beside the wall
// time. Per-page costs of the parts of a format 2 read come first.
#include <sqlite3.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/qerror.h"
#include "core/qstring.h"
#include "store/cipher/authenticated_page.h"
#include "store/cipher/database_key.h"
#include "store/cipher/page_cipher.h"
#include "store/cipher/platform_crypto.h"
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

// User and kernel time of this process, in seconds.
double processorSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto toSeconds = [](const FILETIME& t) {
        return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return toSeconds(kernel) + toSeconds(user);
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

struct ReadFigures {
    double wall = 1e9;
    double processor = 1e9;
    int pagesRead = 0;
};

int pagesReadBy(sqlite3* db) {
    int current = 0;
    int highest = 0;
    sqlite3_db_status(db, SQLITE_DBSTATUS_CACHE_MISS, &current, &highest, 0);
    return current;
}

// One pass over every card, touching its content.
void readEveryCard(sqlite3* db) {
    sqlite3_stmt* select = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT id, title, txt, rtf FROM tab", -1, &select, nullptr), db, "select");
    long long bytes = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        bytes += sqlite3_column_bytes(select, 2) + sqlite3_column_bytes(select, 3);
        sqlite3_column_blob(select, 3);
    }
    sqlite3_finalize(select);
    if (bytes < (long long)kCards * kRtfBytes) std::exit(2);
}

// Best of five runs, each on a fresh connection (the engine's cache cold,
// the system's warm). With warm, the connection has the cache of a keyed
// window (64 MB) and reads every card once before the timed pass.
ReadFigures readAllCards(const std::wstring& path, const wchar_t* password, bool warm) {
    ReadFigures best;
    for (int run = 0; run < 5; ++run) {
        sqlite3* db = open(path, password);
        if (warm) {
            check(sqlite3_exec(db, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr), db, "cache");
            readEveryCard(db);
        } else {
            // The first read above filled the cache with the schema only.
            sqlite3_db_release_memory(db);
        }
        const int pagesBefore = pagesReadBy(db);
        const double start = seconds();
        const double processorStart = processorSeconds();
        readEveryCard(db);
        best.wall = std::min(best.wall, seconds() - start);
        best.processor = std::min(best.processor, processorSeconds() - processorStart);
        best.pagesRead = pagesReadBy(db) - pagesBefore;
        sqlite3_close(db);
    }
    return best;
}

// Microseconds per call of f, the best of five rounds of n calls.
template <typename F>
double microseconds(int n, F f) {
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        const double start = seconds();
        for (int i = 0; i < n; ++i) f(i);
        best = std::min(best, (seconds() - start) / n * 1e6);
    }
    return best;
}

// What one page of a format 2 read costs, part by part, beside format 1's
// decipher and the ways of using the platform's objects that were replaced.
void profilePages() {
    const unsigned char password[] = {'p', 0, 'w', 0};
    const unsigned char salt[authenticated_page::kSaltBytes] = {};
    const auto keys = authenticated_page::PageKeys::derive(password, sizeof(password), salt);
    if (!keys) std::exit(3);
    authenticated_page::PageSealer sealer(keys);
    constexpr int kPages = 64;
    constexpr uint32_t kContent = authenticated_page::kContentEnd;
    static unsigned char stored[kPages][authenticated_page::kPageSize];
    static unsigned char page[authenticated_page::kPageSize];
    for (int i = 0; i < kPages; ++i) {
        std::memset(page, i, sizeof(page));
        std::memset(page + kContent, 0, authenticated_page::kReservedBytes);
        if (!sealer.seal(page, uint32_t(i + 2), stored[i])) std::exit(3);
    }
    const unsigned char key[32] = {1, 2, 3};
    platform_crypto::AesCbcKey aes;
    platform_crypto::HmacSha256Key hmac;
    if (!aes.set(key) || !hmac.set(key, sizeof(key))) std::exit(3);
    unsigned char mac[32];
    const platform_crypto::Part whole[] = {{stored[0], kContent}};

    const double open = microseconds(2000, [&](int i) {
        std::memcpy(page, stored[i % kPages], sizeof(page));
        if (sealer.open(page, uint32_t(i % kPages + 2)) != authenticated_page::Check::ok) std::exit(3);
    });
    const double seal = microseconds(2000, [&](int i) { sealer.seal(page, uint32_t(i % kPages + 2), stored[0]); });
    const double decrypt = microseconds(2000, [&](int i) { aes.decrypt(stored[i % kPages], stored[1], page, kContent); });
    const double decryptNewObject = microseconds(2000, [&](int i) {
        platform_crypto::AesCbcKey once;
        once.set(key);
        once.decrypt(stored[i % kPages], stored[1], page, kContent);
    });
    const double macKept = microseconds(2000, [&](int) { hmac.mac(whole, 1, mac); });
    const double macNewObject =
        microseconds(2000, [&](int) { platform_crypto::hmacSha256(key, sizeof(key), whole, 1, mac); });
    const unsigned char format1Key[255] = {'p', 0, 'w', 0};
    const double format1 = microseconds(2000, [&](int) { decipherBlock(page, 4096, format1Key, 4); });
    const double copy = microseconds(20000, [&](int i) { std::memcpy(page, stored[i % kPages], sizeof(page)); });
    std::printf("per page, format 2 read: %.1f us (check and decipher), write: %.1f us (seal)\n", open, seal);
    std::printf("  AES-256-CBC decipher of 4032 bytes: %.1f us on the connection's key object, %.1f us on a new "
                "object per call\n",
                decrypt, decryptNewObject);
    std::printf("  HMAC-SHA256 of 4032 bytes: %.1f us from the connection's keyed object, %.1f us on a new object "
                "per call\n",
                macKept, macNewObject);
    std::printf("  page copy: %.2f us; format 1 decipher of a page: %.1f us\n", copy, format1);
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
    profilePages();
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

    for (const bool warm : {false, true}) {
        ReadFigures read[3];
        for (int i = 0; i < 3; ++i) read[i] = readAllCards(variants[i].path, variants[i].password, warm);
        std::printf("read every card%s: plain %.3f s, format 1 %.3f s (%.2fx), format 2 %.3f s (%.2fx)\n",
                    warm ? " again (warm cache)" : "", read[0].wall, read[1].wall, read[1].wall / read[0].wall,
                    read[2].wall, read[2].wall / read[0].wall);
        std::printf("  processor time: plain %.3f s, format 1 %.3f s (%.2fx), format 2 %.3f s (%.2fx); pages read "
                    "from the file: %d, %d, %d\n",
                    read[0].processor, read[1].processor, read[1].processor / read[0].processor, read[2].processor,
                    read[2].processor / read[0].processor, read[0].pagesRead, read[1].pagesRead, read[2].pagesRead);
    }

    double save[3];
    for (int i = 0; i < 3; ++i) save[i] = saveCards(variants[i].path, variants[i].password, saves);
    std::printf("%d card saves: plain %.3f s, format 1 %.3f s (%.2fx), format 2 %.3f s (%.2fx)\n", saves, save[0],
                save[1], save[1] / save[0], save[2], save[2] / save[0]);

    for (const Variant& variant : variants) DeleteFileW(variant.path.c_str());
    RemoveDirectoryW(directory.c_str());
    return 0;
}
