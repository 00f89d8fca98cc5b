// The storage engine as we compile it: opens, writes and reads a database whose
// file name is not ASCII, and carries the options the card store relies on.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <windows.h>

#include <string>

namespace {

std::wstring TempPath(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, dir);
  EXPECT_GT(n, 0u);
  return std::wstring(dir, n) + name;
}

std::string Utf8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
  s.resize(n - 1);
  return s;
}

class SqliteSmoke : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = TempPath(L"Kärtchen-карточки-卡片.data");
    DeleteFileW(path_.c_str());
  }
  void TearDown() override { DeleteFileW(path_.c_str()); }
  std::wstring path_;
};

void Exec(sqlite3* db, const char* sql) {
  char* err = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, sql, nullptr, nullptr, &err)) << (err ? err : "");
}

TEST_F(SqliteSmoke, WritesAndReadsBackUnderANonAsciiFileName) {
  const std::wstring title = L"Überschrift — заголовок";
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(Utf8(path_).c_str(), &db,
                                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr));
  Exec(db, "CREATE TABLE t(id INTEGER PRIMARY KEY, title TEXT)");
  sqlite3_stmt* ins = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, "INSERT INTO t(title) VALUES(?)", -1, &ins, nullptr));
  sqlite3_bind_text16(ins, 1, title.c_str(), -1, SQLITE_TRANSIENT);
  EXPECT_EQ(SQLITE_DONE, sqlite3_step(ins));
  sqlite3_finalize(ins);
  ASSERT_EQ(SQLITE_OK, sqlite3_close(db));

  // The file must exist under its wide name, not a code-page mangled one.
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path_.c_str()));

  ASSERT_EQ(SQLITE_OK, sqlite3_open16(path_.c_str(), &db));
  sqlite3_stmt* sel = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, "SELECT title FROM t", -1, &sel, nullptr));
  ASSERT_EQ(SQLITE_ROW, sqlite3_step(sel));
  EXPECT_EQ(title, std::wstring(static_cast<const wchar_t*>(sqlite3_column_text16(sel, 0))));
  sqlite3_finalize(sel);

  sqlite3_stmt* ps = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, "PRAGMA page_size", -1, &ps, nullptr));
  ASSERT_EQ(SQLITE_ROW, sqlite3_step(ps));
  EXPECT_EQ(4096, sqlite3_column_int(ps, 0));
  sqlite3_finalize(ps);
  sqlite3_close(db);
}

TEST(SqliteOptions, CompiledTheWayTheStoreExpects) {
  EXPECT_TRUE(sqlite3_compileoption_used("TEMP_STORE=3"));
  EXPECT_TRUE(sqlite3_compileoption_used("OMIT_LOAD_EXTENSION"));
  // Mapping is possible, for the search's warm-up of a plain file, but no
  // connection maps a file unless it asks.
  EXPECT_TRUE(sqlite3_compileoption_used("MAX_MMAP_SIZE=0x7fff0000"));
  EXPECT_TRUE(sqlite3_compileoption_used("DEFAULT_MMAP_SIZE=0"));
  EXPECT_TRUE(sqlite3_threadsafe());
}

}  // namespace
