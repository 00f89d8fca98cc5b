// Writes and syncs of an enciphered database failing one by one, as a bad
// disk or a full one makes them fail: the transaction fails or succeeds as a
// whole, and the cards survive under the key.
#include <gtest/gtest.h>

#include <string>

#include "crash_scenarios.h"
#include "fault_injection.h"
#include "test_support.h"
#include "updated_cards_fixture.h"

namespace {

class WriteFailure : public UpdatedCardsTest {
protected:
    void SetUp() override {
        registerFaultyVfs();
        prepare(L"Secret12", "failing");
    }

    void TearDown() override { disarmFaultyVfs(); }
};

TEST_F(WriteFailure, EachFailedWriteOrSyncLeavesBeforeOrAfter) {
    struct Case {
        const char* name;
        FileOperationKind kind;
        Fault fault;
        // Every later operation of the kind fails too, the rollback's included,
        // so the journal is left behind for the next opening to replay.
        bool sticky;
    };
    const Case cases[] = {
        {"write error", FileOperationKind::Write, Fault::IoError, false},
        {"disk full", FileOperationKind::Write, Fault::DiskFull, false},
        {"disk full for good", FileOperationKind::Write, Fault::DiskFull, true},
        {"sync error", FileOperationKind::Sync, Fault::IoError, false},
        {"sync error for good", FileOperationKind::Sync, Fault::IoError, true},
    };
    for (const Case& c : cases) {
        bool succeeded = false;
        for (int nth = 1; !succeeded && nth < 400; ++nth) {
            SCOPED_TRACE(std::string(c.name) + " at operation " + std::to_string(nth));
            restorePristine();
            {
                Connection db(path, L"Secret12", kFaultyCipherVfs, SQLITE_OPEN_READWRITE);
                armFaultyVfs(c.kind, nth, c.fault, c.sticky);
                const int rc = db.exec(kUpdateSql);
                succeeded = rc == SQLITE_OK;
                if (!succeeded) {
                    EXPECT_TRUE(rc == SQLITE_IOERR || rc == SQLITE_FULL) << rc;
                    EXPECT_GE(faultyVfsOperationsSeen(), nth);
                }
                disarmFaultyVfs();
            }
            EXPECT_FALSE(contains(readFileBytes(path), kNewMarker));
            Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
            EXPECT_EQ(cardDigest(db), succeeded ? after : before);
            EXPECT_EQ(db.text("PRAGMA integrity_check"), "ok");
        }
        EXPECT_TRUE(succeeded) << c.name;
    }
}

}  // namespace
