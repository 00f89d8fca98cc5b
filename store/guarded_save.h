#pragma once

#include <windows.h>

#include <cstdint>

#include "core/qbuffer.h"
#include "core/qstring.h"
#include "store/card_database.h"
#include "store/card_id.h"

// Saves that never overwrite what they did not see. A page remembers the
// version of the content it loaded; its save writes into the card only while
// the card still holds that content. Another writer's change (or delete, or a
// new card that took the id after a "Delete all") makes the save a new card
// beside it instead: both versions survive.
namespace store {

// A hash of a card's stored RTF. The title is not part of it: a save writes
// only the content, so a title changed elsewhere cannot be lost by one.
using ContentVersion = uint64_t;

ContentVersion contentVersion(const kiln::qstd::QBuffer& rtf);

// What the file holds for one card now; exists is false for a card deleted.
struct StoredCard {
    bool exists = false;
    kiln::qstd::QString title;
    kiln::qstd::QBuffer rtf;
    ContentVersion version = 0;
};
StoredCard readStoredCard(CardDatabase& database, CardId id);

// Where a guarded save put the page's content.
struct GuardedSave {
    CardId cardId = 0;
    // The content went into a new card: the card had changed or was gone.
    bool conflict = false;
    // The card the page showed was gone (deleted elsewhere).
    bool cardWasGone = false;
    kiln::qstd::QString title;
    ContentVersion version = 0;
};

// "<title> (conflict yyyy-mm-dd hh:mm:ss)", in the user's local time.
kiln::qstd::QString conflictTitle(const kiln::qstd::QString& title, const SYSTEMTIME& when);

// Writes txt and rtf into the card when it still holds the content of
// version loaded; otherwise adds them as a new card under the card's parent
// (the top level when the card is gone) titled conflictTitle(title, when).
// The check and the write are one transaction, so no other writer comes
// between them.
GuardedSave saveUnlessChangedElsewhere(CardDatabase& database, CardId id, ContentVersion loaded,
                                       const kiln::qstd::QString& title, const kiln::qstd::QString& txt,
                                       const kiln::qstd::QBuffer& rtf, const SYSTEMTIME& when);

// Tells whether other connections committed to the file since the last look:
// one pragma, which costs almost nothing when nothing changed. The
// connection's own writes do not count.
class FileChangeWatch {
public:
    // Remembers the file's state as it is now, on a connection just opened.
    void reset(CardDatabase& database);
    // True once for each time another connection changed the file.
    bool changed(CardDatabase& database);

private:
    sqlite3_int64 dataVersion = 0;
};

}  // namespace store
