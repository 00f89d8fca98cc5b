#include "store/card_import.h"

#include <windows.h>

#include <unordered_map>
#include <utility>
#include <vector>

#include "core/qerror.h"
#include "core/qfile.h"
#include "store/database_error.h"
#include "store/transaction.h"

using kiln::files::QFile;
using kiln::qstd::QError;
using kiln::qstd::QObArray;
using kiln::qstd::QString;

namespace store {

namespace {

constexpr const char* kImportCardSql =
    "INSERT into tab (id, title, parent, position, txt, rtf)  VALUES (NULL,'Import','0','','','Import')";
// Rowid order costs no sort and gives the progress a measure: how far the ids
// have come between the lowest and the highest.
constexpr const char* kSourceRowsSql = "SELECT id, title, parent, txt, rtf FROM tab ORDER BY id";
constexpr const char* kSourceIdRangeSql = "SELECT min(id), max(id) FROM tab";
constexpr const char* kCopySql =
    "INSERT INTO tab (id, title, parent, position, txt, rtf) VALUES (?, ?, ?, '', ?, ?)";
constexpr const char* kReparentSql = "UPDATE tab SET parent = ? WHERE id = ?";

// The copy's parent when it goes directly under the "Import" card.
constexpr int kUnderImport = -1;

struct Cancelled {};

QString databaseFileName(const CardDatabase& database) {
    const char* name = sqlite3_db_filename(database.getConnection(), "main");
    return name ? QString(name, -1, CP_UTF8) : QString();
}

bool fileIdentity(const QString& path, BY_HANDLE_FILE_INFORMATION& info) {
    QFile file;
    if (!file.Open(path.c_str(), QFile::modeNoAccess | QFile::shareDenyNone)) return false;
    return GetFileInformationByHandle(file.GetHandle(), &info) != 0;
}

void bindValue(CardStatement& statement, int index, sqlite3_value* value) {
    if (sqlite3_bind_value(statement.getHandle(), index, value) != SQLITE_OK) {
        throw databaseError(sqlite3_db_handle(statement.getHandle()));
    }
}

// Every card of a cycle of parents would otherwise hang below another card of
// the same cycle and never below "Import". Cuts each cycle above its card with
// the lowest index (the lowest id). Each card is entered once, so the work
// stays linear however long the cycles are.
void cutCycles(std::vector<int>& parentOf) {
    enum : unsigned char { kUnseen, kOnPath, kDone };
    std::vector<unsigned char> state(parentOf.size(), kUnseen);
    std::vector<int> path;
    for (size_t start = 0; start < parentOf.size(); ++start) {
        if (state[start] != kUnseen) continue;
        path.clear();
        int at = static_cast<int>(start);
        while (at != kUnderImport && state[at] == kUnseen) {
            state[at] = kOnPath;
            path.push_back(at);
            at = parentOf[at];
        }
        if (at != kUnderImport && state[at] == kOnPath) {
            // The walk came back to a card of its own path: from there on it
            // went round.
            int lowest = at;
            for (size_t i = path.size(); path[--i] != at;) {
                if (path[i] < lowest) lowest = path[i];
            }
            parentOf[lowest] = kUnderImport;
        }
        for (int card : path) state[card] = kDone;
    }
}

// Reports progress whenever the share of ids passed changes, so a large
// import costs the callback about a thousand calls.
class ProgressReporter {
public:
    ProgressReporter(const ImportProgressCallback& callback, sqlite3_int64 lowestId, sqlite3_int64 highestId)
        : callback(callback),
          lowestId(lowestId),
          span(static_cast<double>(highestId) - static_cast<double>(lowestId) + 1.0) {}

    void passed(sqlite3_int64 id, unsigned copied) {
        const double share = (static_cast<double>(id) - static_cast<double>(lowestId) + 1.0) / span;
        const unsigned permille = share >= 1.0 ? 1000u : static_cast<unsigned>(share * 1000.0);
        if (permille != reported) report(copied, permille);
    }

    void report(unsigned copied, unsigned permille) {
        reported = permille;
        if (callback && !callback(ImportProgress{copied, permille})) throw Cancelled{};
    }

private:
    const ImportProgressCallback& callback;
    sqlite3_int64 lowestId;
    double span;
    unsigned reported = ~0u;
};

}  // namespace

bool isSameFile(const QString& first, const QString& second) {
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    if (!fileIdentity(first, a) || !fileIdentity(second, b)) return false;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

ImportResult importCardDatabase(CardDatabase& target, CardDatabase& source, const ImportProgressCallback& progress) {
    const QString targetName = databaseFileName(target);
    const QString sourceName = databaseFileName(source);
    // Reading and writing one file through two connections would wait on its
    // own lock until the busy timeout.
    if (!targetName.IsEmpty() && !sourceName.IsEmpty() && isSameFile(targetName, sourceName)) {
        throw QError(kSameDatabaseMessage);
    }

    try {
        Transaction transaction(target);
        target.execute(kImportCardSql);
        const sqlite3_int64 importId = sqlite3_last_insert_rowid(target.getConnection());

        CardStatement range = source.prepare(kSourceIdRangeSql);
        range.step();
        ProgressReporter reporter(progress, range.getInt64(0), range.getInt64(1));
        range.finalize();

        // A copy's id is chosen, not given by the engine: the copy of the
        // card read k-th gets importId + 1 + k. Every id above the "Import"
        // card's is free, and a child read before its parent can then point
        // at the parent's copy once the parent has been read; until then it
        // waits under "Import".
        std::vector<sqlite3_int64> sourceParent;
        std::vector<int> insertedParent;
        std::unordered_map<sqlite3_int64, int> indexOf;
        QObArray<CardRow> copies;
        copies.Add(new CardRow{static_cast<int>(importId), kImportTitle, 0});

        CardStatement rows = source.prepare(kSourceRowsSql);
        CardStatement copy = target.prepare(kCopySql);
        while (rows.step() == SQLITE_ROW) {
            const int index = static_cast<int>(sourceParent.size());
            const sqlite3_int64 id = rows.getInt64(0);
            const sqlite3_int64 parent = rows.getInt64(2);
            const auto parentFound = parent == 0 ? indexOf.end() : indexOf.find(parent);
            const int parentIndex = parentFound == indexOf.end() ? kUnderImport : parentFound->second;
            const sqlite3_int64 newId = importId + 1 + index;

            // Values are handed over as the source holds them, so every copy
            // keeps its text and its RTF bytes exactly.
            copy.bindInt64(1, newId);
            bindValue(copy, 2, sqlite3_column_value(rows.getHandle(), 1));
            copy.bindInt64(3, parentIndex == kUnderImport ? importId : importId + 1 + parentIndex);
            bindValue(copy, 4, sqlite3_column_value(rows.getHandle(), 3));
            bindValue(copy, 5, sqlite3_column_value(rows.getHandle(), 4));
            copy.step();
            sqlite3_reset(copy.getHandle());

            copies.Add(new CardRow{static_cast<int>(newId), rows.getText(1), 0});
            sourceParent.push_back(parent);
            insertedParent.push_back(parentIndex);
            indexOf.emplace(id, index);
            reporter.passed(id, static_cast<unsigned>(index) + 1);
        }
        rows.finalize();
        copy.finalize();

        std::vector<int> parentOf(sourceParent.size(), kUnderImport);
        for (size_t i = 0; i < sourceParent.size(); ++i) {
            if (sourceParent[i] == 0) continue;
            const auto found = indexOf.find(sourceParent[i]);
            if (found != indexOf.end()) parentOf[i] = found->second;
        }
        cutCycles(parentOf);

        CardStatement reparent = target.prepare(kReparentSql);
        for (size_t i = 0; i < parentOf.size(); ++i) {
            const sqlite3_int64 parentId = parentOf[i] == kUnderImport ? importId : importId + 1 + parentOf[i];
            copies[static_cast<unsigned>(i) + 1]->parent = static_cast<int>(parentId);
            if (parentOf[i] == insertedParent[i]) continue;
            reparent.bindInt64(1, parentId);
            reparent.bindInt64(2, importId + 1 + static_cast<sqlite3_int64>(i));
            reparent.step();
            sqlite3_reset(reparent.getHandle());
        }
        reparent.finalize();

        reporter.report(static_cast<unsigned>(parentOf.size()), 1000);
        transaction.commit();
        return ImportResult{true, static_cast<int>(importId), CardTree(std::move(copies))};
    } catch (const Cancelled&) {
        return ImportResult{false, 0, CardTree(QObArray<CardRow>())};
    }
}

}  // namespace store
