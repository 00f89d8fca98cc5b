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
// The engine gives out ids above any ever given; once the largest has been,
// it answers every insert with "database or disk is full".
inline constexpr const char* kIdsUsedUpSql =
    "SELECT coalesce((SELECT max(id) FROM tab), 0) = 9223372036854775807 OR EXISTS "
    "(SELECT 1 FROM sqlite_sequence WHERE name = 'tab' AND seq = 9223372036854775807)";
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
// The covering index of the tree's reads; the whole-tree read and a level's
// read both walk it, so siblings come in the same order from either.
inline constexpr const wchar_t* kTreeIndexName = L"tab_parent_id_title";
inline constexpr const char* kTreeIndexSql = "CREATE INDEX tab_parent_id_title ON tab(parent, id, title)";
inline constexpr const char* kIndexExistsSql = "select count(*) from sqlite_master where type = 'index' and name = ?";
inline constexpr const char* kChildCardsSql =
    "select id, title, id <> 0 and exists (select 1 from tab as below where below.parent = tab.id) "
    "from tab where parent = ? order by parent";
inline constexpr const char* kParentSql = "select parent from tab where id = ?";
inline constexpr const char* kBeginSql = "BEGIN TRANSACTION";
inline constexpr const char* kCommitSql = "COMMIT TRANSACTION";
inline constexpr const char* kRollbackSql = "ROLLBACK TRANSACTION";
// The companion checks that a file holds the card table before it touches it.
inline constexpr const char* kCardTableCheckSql = "select id, title, parent, position, txt, rtf from tab";
