// Writes that fail underneath the engine, as a full or failing disk makes
// them: a change of several cards is either whole or absent afterwards.
#include "core/qerror.h"
#include "store/card_operations.h"
#include "test_database.h"

using kiln::qstd::QError;

namespace {

// A file system that passes everything to the engine's own, except that it
// can refuse writes to database files.
class FailingWrites {
public:
    FailingWrites() {
        real = sqlite3_vfs_find(nullptr);
        vfs = *real;
        vfs.zName = "vorlen-failing-writes";
        vfs.szOsFile = static_cast<int>(sizeof(File)) + real->szOsFile;
        vfs.xOpen = &FailingWrites::open;
        methods = sqlite3_io_methods{};
        methods.iVersion = 1;
        methods.xClose = [](sqlite3_file* f) {
            const int rc = inner(f)->pMethods->xClose(inner(f));
            f->pMethods = nullptr;
            return rc;
        };
        methods.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
            return inner(f)->pMethods->xRead(inner(f), b, n, o);
        };
        methods.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
            if (armed && static_cast<File*>(static_cast<void*>(f))->mainDatabase) return SQLITE_IOERR_WRITE;
            return inner(f)->pMethods->xWrite(inner(f), b, n, o);
        };
        methods.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
            return inner(f)->pMethods->xTruncate(inner(f), size);
        };
        methods.xSync = [](sqlite3_file* f, int flags) { return inner(f)->pMethods->xSync(inner(f), flags); };
        methods.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) {
            return inner(f)->pMethods->xFileSize(inner(f), size);
        };
        methods.xLock = [](sqlite3_file* f, int level) { return inner(f)->pMethods->xLock(inner(f), level); };
        methods.xUnlock = [](sqlite3_file* f, int level) { return inner(f)->pMethods->xUnlock(inner(f), level); };
        methods.xCheckReservedLock = [](sqlite3_file* f, int* out) {
            return inner(f)->pMethods->xCheckReservedLock(inner(f), out);
        };
        methods.xFileControl = [](sqlite3_file* f, int op, void* arg) {
            return inner(f)->pMethods->xFileControl(inner(f), op, arg);
        };
        methods.xSectorSize = [](sqlite3_file* f) { return inner(f)->pMethods->xSectorSize(inner(f)); };
        methods.xDeviceCharacteristics = [](sqlite3_file* f) {
            return inner(f)->pMethods->xDeviceCharacteristics(inner(f));
        };
        sqlite3_vfs_register(&vfs, 1);
    }
    ~FailingWrites() {
        armed = false;
        sqlite3_vfs_unregister(&vfs);
    }

    static bool armed;

private:
    struct File {
        sqlite3_file base;
        bool mainDatabase;
    };

    static sqlite3_file* inner(sqlite3_file* f) {
        return reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(f) + sizeof(File));
    }

    static int open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
        File* file = static_cast<File*>(static_cast<void*>(f));
        file->base.pMethods = nullptr;
        file->mainDatabase = (flags & SQLITE_OPEN_MAIN_DB) != 0;
        const int rc = real->xOpen(real, name, inner(f), flags, outFlags);
        if (rc == SQLITE_OK) file->base.pMethods = &methods;
        return rc;
    }

    static sqlite3_vfs* real;
    static sqlite3_vfs vfs;
    static sqlite3_io_methods methods;
};

bool FailingWrites::armed = false;
sqlite3_vfs* FailingWrites::real = nullptr;
sqlite3_vfs FailingWrites::vfs;
sqlite3_io_methods FailingWrites::methods;

using CardFaults = TestDatabaseFile;

TEST_F(CardFaults, DeleteWhoseWritesFailLosesNoCard) {
    FailingWrites disk;
    createCards();
    insertRow(1, L"T", 0);
    insertRow(2, L"A", 1);
    insertRow(3, L"B", 1);
    insertRow(4, L"G", 2);

    FailingWrites::armed = true;
    EXPECT_THROW(store::deleteCard(database, 1), QError);
    FailingWrites::armed = false;
    EXPECT_TRUE(sqlite3_get_autocommit(database.getConnection())) << "transaction left open";
    database.close();

    // Whatever the failed commit left behind (its journal) is undone on the
    // next open; every card is there.
    database.openFile(path);
    EXPECT_EQ(4, queryInt(database, "SELECT count(*) FROM tab"));
    EXPECT_EQ(L"ok", queryText(database, "PRAGMA integrity_check"));
}

}  // namespace
