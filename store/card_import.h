#pragma once

#include <functional>

#include "core/qstring.h"
#include "store/card_database.h"
#include "store/card_tree.h"

// Copying every card of another card database into the open one, under a new
// top-level card titled "Import". The window adds the progress dialog and the
// tree items; the companion calls it directly.
namespace store {

inline constexpr const wchar_t* kSameDatabaseMessage = L"You can't import the same database!";
inline constexpr const wchar_t* kImportTitle = L"Import";

struct ImportProgress {
    // Cards copied so far.
    unsigned copied;
    // How far through the source the copy is, 0 to 1000.
    unsigned permille;
};

// Called after each step of the copy; returning false cancels the import.
using ImportProgressCallback = std::function<bool(const ImportProgress&)>;

struct ImportResult {
    // False when the callback cancelled: the target is as it was.
    bool completed;
    // The "Import" card, 0 when cancelled.
    int importId;
    // The "Import" card (depth 0) and every copy below it, parents before
    // their children, for whoever adds them to a tree.
    CardTree cards;
};

// Whether two paths name the same file however they are spelled (case, short
// names, "..", hard links): compares the volume and the file's index on it.
// False when either cannot be opened.
bool isSameFile(const kiln::qstd::QString& first, const kiln::qstd::QString& second);

// Copies every card of source into target under a new "Import" card, keeping
// the tree shape whatever the order of the ids. A card whose parent is not in
// the source goes directly under "Import"; so does, for each cycle of parents,
// the card of the cycle with the lowest id (the others keep their parents).
// All or nothing: any failure (a raised QError, a failing read or write, the
// callback throwing) and a cancel leave the target as it was. Raises
// kSameDatabaseMessage when both are the same file.
ImportResult importCardDatabase(CardDatabase& target, CardDatabase& source,
                                const ImportProgressCallback& progress);

}  // namespace store
