#pragma once

#include <cstdint>

#include "core/qarray.h"

// The cards shown most recently, most recent first, for the Prev and Next
// buttons. The list may hold a card more than once: showing a card always
// puts it at the front, wherever else it already stands.
class CardHistory {
public:
    static const unsigned kMaxEntries = 15;

    // A card was shown: it goes to the front and the list is cut to
    // kMaxEntries. Card 0 (no card) is not recorded.
    void Add(int64_t id);

    // Whether Prev and Next have anything to step to.
    bool CanStep() const { return ids.GetCount() >= 2; }

    // The card to show for Prev and Next, or 0 when the history is too short
    // to step. Both leave the card they return out of the list: showing it
    // (Add) puts it back at the front. Prev moves the card shown now to the
    // end, Next brings the last card back, so together they rotate the list.
    int64_t Prev();
    int64_t Next();

    // The list as stored in the settings file; more than kMaxEntries ids keep
    // only the first (most recent) ones.
    void Assign(const kiln::qstd::QArray<int64_t>& stored);
    const kiln::qstd::QArray<int64_t>& GetIds() const { return ids; }
    void Clear() { ids.RemoveAll(); }

private:
    kiln::qstd::QArray<int64_t> ids;
};
