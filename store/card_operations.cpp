#include "store/card_operations.h"

#include "core/qerror.h"
#include "store/card_statements.h"
#include "store/card_tree.h"
#include "store/transaction.h"

using kiln::qstd::QArray;
using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace store {

namespace {

// The card's own row: its parent, or nothing when it does not exist.
bool readParent(CardDatabase& database, CardId id, CardId& parent) {
    CardStatement statement = database.prepareWithId(kCardRowSql, id);
    if (statement.step() != SQLITE_ROW) return false;
    parent = statement.getId(1);
    return true;
}

// The ids below the card, each after all of its own descendants, children in
// the order the tree shows them; the same order the tree would delete them in.
QArray<CardId> descendantsLeafFirst(CardDatabase& database, CardId id) {
    QArray<CardId> order;
    if (id == 0) return order;
    const kiln::qstd::QObArray<CardRow> rows = readCardRows(database);
    CardHierarchy hierarchy(rows);

    QArray<int> cursors;
    cursors.Add(hierarchy.firstChild(id));
    while (!cursors.IsEmpty()) {
        const unsigned level = cursors.GetCount() - 1;
        const int row = cursors[level];
        if (row < 0) {
            cursors.RemoveAt(level, 1);
            if (level > 0) {
                const int finished = cursors[level - 1];
                order.Add(hierarchy.idOfRow(finished));
                cursors[level - 1] = hierarchy.nextSibling(finished);
            }
            continue;
        }
        // The card itself is met below itself when it lies in a cycle.
        if (hierarchy.idOfRow(row) == id || !hierarchy.claim(row)) {
            cursors[level] = hierarchy.nextSibling(row);
            continue;
        }
        cursors.Add(hierarchy.firstChildOfRow(row));
    }
    return order;
}

QError missingCardError(CardId id) {
    return QError(L"There is no card with the id " + cardIdText(id) + L".");
}

// A card the tree does not show cannot take others: they would vanish with it.
void requireShownParent(CardDatabase& database, CardId parentId) {
    if (isShownInTree(database, parentId)) return;
    throw QError(L"The card " + cardIdText(parentId) +
                 L" cannot take other cards: the tree does not show it, because it lies below a missing card "
                 L"or in a cycle of cards.");
}

bool idsUsedUp(CardDatabase& database) {
    CardStatement statement = database.prepare(kIdsUsedUpSql);
    return statement.step() == SQLITE_ROW && statement.getInt(0) != 0;
}

int countCards(CardDatabase& database) {
    CardStatement statement = database.prepare(kCountCardsSql);
    statement.step();
    return statement.getInt(0);
}

}  // namespace

void createCardDatabase(CardDatabase& database, const QString& path) {
    database.createFile(path);
    database.execute16(kCreateTableSql);
}

void checkCardTable(CardDatabase& database) {
    database.prepare(kCardTableCheckSql);
}

bool cardExists(CardDatabase& database, CardId id) {
    CardId parent = 0;
    return readParent(database, id, parent);
}

void requireCard(CardDatabase& database, CardId id) {
    if (!cardExists(database, id)) throw missingCardError(id);
}

CardId addCard(CardDatabase& database, CardId parentId) {
    if (parentId != 0) {
        requireCard(database, parentId);
        requireShownParent(database, parentId);
    }
    try {
        if (parentId == 0) {
            database.execute(kInsertTopLevelSql);
        } else {
            database.executeWithId(kInsertChildSql, parentId);
        }
    } catch (const QError& error) {
        if ((error.code & 0xFF) == SQLITE_FULL && idsUsedUp(database)) {
            throw QError(L"No card can be added: the file has given out its last card id, 9223372036854775807.",
                         error.code);
        }
        throw;
    }
    return database.lastInsertId();
}

CardId addCard(CardDatabase& database, CardId parentId, const QString& title) {
    Transaction transaction(database);
    const CardId id = addCard(database, parentId);
    database.rename(title, id);
    transaction.commit();
    return id;
}

CardId addCard(CardDatabase& database, CardId parentId, const QString& title, const QString& txt,
               const QBuffer& rtf) {
    Transaction transaction(database);
    const CardId id = addCard(database, parentId);
    database.rename(title, id);
    database.saveCardContent(txt, rtf, id);
    transaction.commit();
    return id;
}

QString renameCard(CardDatabase& database, CardId id, const QString& title) {
    requireCard(database, id);
    QString trimmed = title;
    trimmed.Trim();
    database.rename(trimmed, id);
    return trimmed;
}

bool isMoveAllowed(CardDatabase& database, CardId id, CardId newParentId) {
    // Climb from the new parent towards the top; meeting the card on the way
    // means it would sit inside its own subtree. A climb longer than the
    // table has cards has gone round a cycle of parents that lies above the
    // new parent and does not hold the card.
    const int cards = countCards(database);
    CardId ancestor = newParentId;
    for (int climbed = 0; ancestor != 0 && climbed <= cards; ++climbed) {
        if (ancestor == id) return false;
        if (!readParent(database, ancestor, ancestor)) return true;
    }
    return true;
}

bool isShownInTree(CardDatabase& database, CardId id) {
    // A climb longer than the table has cards has gone round a cycle.
    const int cards = countCards(database);
    CardId ancestor = id;
    for (int climbed = 0; climbed <= cards; ++climbed) {
        if (ancestor == 0) return true;
        if (!readParent(database, ancestor, ancestor)) return false;
    }
    return false;
}

void moveCard(CardDatabase& database, CardId id, CardId newParentId) {
    requireCard(database, id);
    if (newParentId != 0) requireCard(database, newParentId);
    if (!isMoveAllowed(database, id, newParentId)) throw QError(kMoveRefusedMessage);
    requireShownParent(database, newParentId);
    database.prepareMove(newParentId, id).step();
}

QArray<CardId> deleteCard(CardDatabase& database, CardId id) {
    Transaction transaction(database);
    requireCard(database, id);
    QArray<CardId> order = descendantsLeafFirst(database, id);
    order.Add(id);
    for (unsigned i = 0; i < order.GetCount(); ++i) database.executeWithId(kDeleteOneSql, order[i]);
    transaction.commit();
    return order;
}

unsigned countDescendants(CardDatabase& database, CardId id) {
    return descendantsLeafFirst(database, id).GetCount();
}

void deleteAllCards(CardDatabase& database) {
    Transaction transaction(database);
    database.execute16(kDeleteAllSql);
    database.execute16(kResetSequenceSql);
    transaction.commit();
}

QBuffer loadCardContent(CardDatabase& database, CardId id) {
    CardStatement statement = database.prepareWithId(kLoadContentSql, id);
    if (statement.step() != SQLITE_ROW) throw missingCardError(id);
    return statement.getBuffer(0);
}

QString loadCardText(CardDatabase& database, CardId id) {
    CardStatement statement = database.prepareWithId(kLoadTextSql, id);
    if (statement.step() != SQLITE_ROW) throw missingCardError(id);
    return statement.getText(0);
}

}  // namespace store
