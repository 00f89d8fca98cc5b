#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <mutex>
#include <vector>

#include "store/card_id.h"

// The cards one connection has written, for a reader that keeps their text
// and wants to bring it up to date by reading only those cards again. The
// log is filled by the engine's hooks on the writing thread and read on the
// reader's thread.
//
// Each committed transaction that wrote a card is counted. The file's change
// counter moves once for every committed transaction of any connection, so a
// reader that sees the counter move by as many as this log counted knows
// that no other connection wrote in between, and that the cards listed are
// all that changed.
class CardWriteLog {
public:
    // What the reader takes: the transactions counted so far and the cards
    // they wrote since the last take.
    struct Taken {
        uint32_t commits = 0;
        std::vector<CardId> cards;
    };

    // Installs the hooks on connection; the log must outlive them (see Unwatch).
    void Watch(sqlite3* connection);
    static void Unwatch(sqlite3* connection);

    uint32_t Commits();
    // The cards are handed out only when the commits are those expected:
    // otherwise they are forgotten, as the reader then reads everything.
    bool TakeIfCommitsAre(uint32_t expected, Taken& taken);
    // Forgets the cards written so far and says how many commits were counted.
    uint32_t Restart();

private:
    static int onAuthorize(void* log, int action, const char* table, const char*, const char*, const char*);
    static void onUpdate(void* log, int operation, const char* database, const char* table, sqlite3_int64 row);
    static int onCommit(void* log);
    static void onRollback(void* log);

    std::mutex mutex;
    // Cards of the transaction not yet committed, and of those committed.
    std::vector<CardId> pending;
    std::vector<CardId> committed;
    bool wrote = false;
    // Set between a counted commit and the next transaction: a commit that
    // fails turns into a rollback, which then takes the count back.
    bool commitCounted = false;
    uint32_t commits = 0;
};
