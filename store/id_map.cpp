#include "store/id_map.h"

#include "core/qerror.h"

IdMap::IdMap(unsigned expectedKeys) : limit(expectedKeys) {
    // At most half full, so a probe run stays short.
    unsigned bits = 4;
    while ((1u << bits) < expectedKeys * 2u && bits < 30) ++bits;
    const unsigned size = 1u << bits;
    mask = size - 1;
    shift = 32 - bits;
    slots.reset(new Slot[size]);
    for (unsigned i = 0; i < size; ++i) slots[i] = Slot{0, -1};
}

unsigned IdMap::slotOf(CardId key) const {
    // Fibonacci hashing spreads consecutive ids over the whole table; the
    // high half is folded in so that ids 2^32 apart do not collide.
    const uint64_t bits = static_cast<uint64_t>(key);
    return (static_cast<uint32_t>(bits ^ (bits >> 32)) * 2654435769u) >> shift;
}

int IdMap::find(CardId key) const {
    for (unsigned i = slotOf(key);; i = (i + 1) & mask) {
        const Slot& slot = slots[i];
        if (slot.value < 0 || slot.key == key) return slot.value;
    }
}

void IdMap::set(CardId key, int value) {
    for (unsigned i = slotOf(key);; i = (i + 1) & mask) {
        Slot& slot = slots[i];
        if (slot.value < 0) {
            if (used == limit) throw kiln::qstd::QError(L"Too many cards for the map.");
            slot = Slot{key, value};
            ++used;
            return;
        }
        if (slot.key == key) {
            slot.value = value;
            return;
        }
    }
}
