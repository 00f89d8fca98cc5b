#pragma once

#include "store/card_database.h"

// One transaction of a card database: begun on construction, rolled back on
// destruction unless committed, so an error half way through a change of
// several rows leaves the file as it was.
class Transaction {
public:
    explicit Transaction(CardDatabase& database);
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction();

    void commit();

private:
    CardDatabase& database;
    bool open = true;
};
