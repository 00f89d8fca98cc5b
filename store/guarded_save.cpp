#include "store/guarded_save.h"

#include <cwchar>

#include "store/card_operations.h"
#include "store/card_statements.h"
#include "store/transaction.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;

namespace store {

namespace {

const char* const kStoredCardSql = "select title, parent, rtf from tab where id = ?";
const char* const kDataVersionSql = "PRAGMA data_version";

}  // namespace

ContentVersion contentVersion(const QBuffer& rtf) {
    // FNV-1a: quick, and a change of any byte changes it.
    ContentVersion hash = 14695981039346656037ull;
    const unsigned char* bytes = rtf.GetData();
    for (unsigned i = 0; i < rtf.GetCount(); ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

namespace {

StoredCard readCard(CardDatabase& database, CardId id, CardId& parent) {
    StoredCard card;
    CardStatement statement = database.prepareWithId(kStoredCardSql, id);
    if (statement.step() != SQLITE_ROW) return card;
    card.exists = true;
    card.title = statement.getText(0);
    parent = statement.getId(1);
    card.rtf = statement.getBuffer(2);
    card.version = contentVersion(card.rtf);
    return card;
}

}  // namespace

StoredCard readStoredCard(CardDatabase& database, CardId id) {
    CardId parent = 0;
    return readCard(database, id, parent);
}

QString conflictTitle(const QString& title, const SYSTEMTIME& when) {
    wchar_t stamp[40];
    swprintf(stamp, 40, L" (conflict %04u-%02u-%02u %02u:%02u:%02u)", when.wYear, when.wMonth, when.wDay, when.wHour,
             when.wMinute, when.wSecond);
    return title + stamp;
}

GuardedSave saveUnlessChangedElsewhere(CardDatabase& database, CardId id, ContentVersion loaded, const QString& title,
                                       const QString& txt, const QBuffer& rtf, const SYSTEMTIME& when) {
    Transaction transaction(database);
    CardId parent = 0;
    const StoredCard stored = readCard(database, id, parent);
    GuardedSave saved;
    if (stored.exists && stored.version == loaded) {
        database.saveCardContent(txt, rtf, id);
        saved.cardId = id;
        saved.title = stored.title;
    } else {
        saved.conflict = true;
        saved.cardWasGone = !stored.exists;
        // Beside the card; a parent the tree does not show would hide it.
        if (!stored.exists || !isShownInTree(database, parent)) parent = 0;
        saved.title = conflictTitle(title, when);
        saved.cardId = addCard(database, parent);
        database.rename(saved.title, saved.cardId);
        database.saveCardContent(txt, rtf, saved.cardId);
    }
    transaction.commit();
    saved.version = contentVersion(rtf);
    return saved;
}

void FileChangeWatch::reset(CardDatabase& database) {
    CardStatement statement = database.prepare(kDataVersionSql);
    statement.step();
    dataVersion = statement.getInt64(0);
}

bool FileChangeWatch::changed(CardDatabase& database) {
    CardStatement statement = database.prepare(kDataVersionSql);
    statement.step();
    const sqlite3_int64 now = statement.getInt64(0);
    if (now == dataVersion) return false;
    dataVersion = now;
    return true;
}

}  // namespace store
