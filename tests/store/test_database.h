#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/qstring.h"
#include "store/card_database.h"

// A card database in a file of its own under the temporary folder, named after
// the running test and removed afterwards.
class TestDatabaseFile : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the file a fresh card database and opens it.
    void createCards();
    // A row written directly, with a chosen id (0: the next one).
    CardId insertRow(CardId id, const wchar_t* title, CardId parent, const wchar_t* txt = L"");

    kiln::qstd::QString path;
    CardDatabase database;
};

std::wstring wide(const kiln::qstd::QString& text);
std::wstring tempPath(const std::wstring& name);

// First column of the first row of a query on the open database.
sqlite3_int64 queryInt(CardDatabase& database, const char* sql);
std::wstring queryText(CardDatabase& database, const char* sql);
