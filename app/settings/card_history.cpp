#include "app/settings/card_history.h"

void CardHistory::Add(int64_t id) {
    if (id == 0) return;
    ids.InsertAt(0, id);
    ids.RemoveAt(kMaxEntries, ids.GetCount());
}

int64_t CardHistory::Prev() {
    if (!CanStep()) return 0;
    const int64_t shown = ids[0];
    const int64_t before = ids[1];
    ids.RemoveAt(0, 2);
    ids.Add(shown);
    return before;
}

int64_t CardHistory::Next() {
    if (!CanStep()) return 0;
    const unsigned last = ids.GetCount() - 1;
    const int64_t id = ids[last];
    ids.RemoveAt(last, 1);
    return id;
}

void CardHistory::Assign(const kiln::qstd::QArray<int64_t>& stored) {
    ids = stored;
    ids.RemoveAt(kMaxEntries, ids.GetCount());
}
