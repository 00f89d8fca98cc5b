#include "test_database.h"

#include <windows.h>

#include "store/card_operations.h"

using kiln::qstd::QString;

std::wstring wide(const QString& text) {
    return std::wstring(text.c_str(), static_cast<size_t>(text.GetLength()));
}

std::wstring tempPath(const std::wstring& name) {
    wchar_t dir[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir, n) + name;
}

void TestDatabaseFile::SetUp() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("vorlen-") + info->test_suite_name() + "-" + info->name() + ".data";
    for (char& c : name) {
        if (c == '/') c = '-';
    }
    path = tempPath(std::wstring(name.begin(), name.end())).c_str();
    DeleteFileW(path);
}

void TestDatabaseFile::TearDown() {
    database.close();
    DeleteFileW(path);
    DeleteFileW((path + L"-journal").c_str());
}

void TestDatabaseFile::createCards() {
    store::createCardDatabase(database, path);
}

CardId TestDatabaseFile::insertRow(CardId id, const wchar_t* title, CardId parent, const wchar_t* txt) {
    CardStatement statement =
        database.prepare("INSERT INTO tab (id, title, parent, position, txt, rtf) VALUES (?, ?, ?, '', ?, '')");
    if (id != 0) statement.bindId(1, id);
    if (title) statement.bindText(2, title);
    statement.bindId(3, parent);
    statement.bindText(4, txt);
    statement.step();
    return database.lastInsertId();
}

sqlite3_int64 queryInt(CardDatabase& database, const char* sql) {
    CardStatement statement = database.prepare(sql);
    EXPECT_EQ(SQLITE_ROW, statement.step()) << sql;
    return statement.getInt64(0);
}

std::wstring queryText(CardDatabase& database, const char* sql) {
    CardStatement statement = database.prepare(sql);
    EXPECT_EQ(SQLITE_ROW, statement.step()) << sql;
    return wide(statement.getText(0));
}
