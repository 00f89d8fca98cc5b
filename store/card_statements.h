#pragma once

// The statement texts of the card store, kept in one place so that every
// caller runs exactly the same text.

inline constexpr const wchar_t* kCreateTableSql =
    L"create table IF NOT EXISTS tab (id integer primary key autoincrement, title text, "
    L"parent integer, position integer, txt text, rtf blob )";
inline constexpr const char* kCreationMarkSql = "PRAGMA application_id = 0x4B524442";
inline constexpr const char* kPasswordMarkSql = "PRAGMA application_id = 0x42654462";

inline constexpr const char* kInsertTopLevelSql =
    "INSERT into tab (id, title, parent, position, txt, rtf) VALUES (NULL,'',0,'','','')";
inline constexpr const char* kInsertChildSql =
    "INSERT into tab (id, title, parent, position, txt, rtf) VALUES (NULL, '', ? ,'','','')";
inline constexpr const char* kInsertWholeCardSql = "INSERT INTO tab VALUES (NULL, ?, ?, '', ?, ?)";
inline constexpr const char* kSaveContentSql = "UPDATE tab SET txt=?, rtf=? WHERE id=? ";
inline constexpr const wchar_t* kRenameSql = L"UPDATE tab SET title = ? WHERE id = ? ";
inline constexpr const char* kMoveSql = "Update tab SET parent=? WHERE id=?";
inline constexpr const char* kDeleteOneSql = " DELETE from tab WHERE id = ?";
inline constexpr const wchar_t* kDeleteAllSql = L"DELETE FROM tab";
inline constexpr const wchar_t* kResetSequenceSql = L"DELETE FROM sqlite_sequence";
inline constexpr const char* kLoadContentSql = "select rtf from tab where id = ?";
inline constexpr const char* kLoadTextSql = "select txt from tab where id = ?";
inline constexpr const char* kCardRowSql = "select title, parent from tab where id = ?";
inline constexpr const char* kCountCardsSql = "SELECT count(*) FROM tab";
inline constexpr const char* kTreeRowsSql = "select id, title, parent from tab order by parent";
inline constexpr const char* kBeginSql = "BEGIN TRANSACTION";
inline constexpr const char* kCommitSql = "COMMIT TRANSACTION";
inline constexpr const char* kRollbackSql = "ROLLBACK TRANSACTION";
// The companion checks that a file holds the card table before it touches it.
inline constexpr const char* kCardTableCheckSql = "select id, title, parent, position, txt, rtf from tab";
