#pragma once

#include <memory>

#include "store/card_id.h"

// Fixed-size hash map from card ids to row indices. The hierarchy needs one
// lookup per card; a linear scan per card would make opening a large
// database grow with the square of its size.
class IdMap {
public:
    // Room for at least expectedKeys keys.
    explicit IdMap(unsigned expectedKeys);

    // The value stored for key, or -1.
    int find(CardId key) const;
    // Stores or replaces the value of key; value must not be negative. The
    // map never holds more keys than it was made for.
    void set(CardId key, int value);

private:
    // A slot whose value is -1 is free.
    struct Slot {
        CardId key;
        int value;
    };

    unsigned slotOf(CardId key) const;

    std::unique_ptr<Slot[]> slots;
    unsigned mask = 0;
    unsigned shift = 0;
    unsigned used = 0;
    unsigned limit = 0;
};
