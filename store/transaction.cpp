#include "store/transaction.h"

#include "store/card_statements.h"

Transaction::Transaction(CardDatabase& database) : database(database) {
    database.execute(kBeginSql);
}

Transaction::~Transaction() {
    // Some failures (a full disk, an I/O error) end the transaction inside the
    // engine already; a rollback then has nothing to do and its error is moot.
    if (open && database.isOpen() && !sqlite3_get_autocommit(database.getConnection())) {
        try {
            database.execute(kRollbackSql);
        } catch (...) {
        }
    }
}

void Transaction::commit() {
    database.execute(kCommitSql);
    open = false;
}
