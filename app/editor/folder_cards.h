#pragma once

#include <functional>
#include <vector>

#include "core/qstring.h"
#include "store/card_branch.h"

// A folder as a branch of cards: a card named after the folder holding a
// card per readable file (RTF, text, Office documents and pictures, read as
// a file dropped on an editor is) and a branch per subfolder, in name order
// without regard to case. Files of other kinds are passed over; a file of a
// readable kind that cannot be read is left out and named in skipped with
// the reason. Paths beyond MAX_PATH are read too.
//
// The folder is listed whole before any file is read, so that keepGoing,
// asked before each readable file with how many were read and of how many,
// can tell how far the reading is; false when it said no (the branch is
// then incomplete and not to be stored). Throws QError when the folder
// itself cannot be listed.
bool ReadFolderCards(const kiln::qstd::QString& folder, NewCardBranch& branch,
                     std::vector<kiln::qstd::QString>& skipped,
                     const std::function<bool(unsigned read, unsigned total)>& keepGoing);
