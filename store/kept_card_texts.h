#pragma once

#include <cstddef>
#include <vector>

#include "core/qobarray.h"
#include "store/card_id.h"
#include "store/card_search.h"
#include "store/literal_pattern.h"

// Every card's title and text as the file stores them (UTF-8, NUL and all),
// in one block of memory, so that a search reads none of the file. Cards
// stay in the table's order, which is the order of their ids.
class KeptCardTexts {
public:
    // A value the file holds as NULL: it matches nothing, not even the empty text.
    struct Value {
        const unsigned char* bytes = nullptr;
        size_t size = 0;
    };

    // Makes room for about bytes of titles and texts at once: growing the
    // block later copies it, and for a moment costs it twice.
    void Reserve(size_t bytes);
    void Clear();
    // Adds the card or replaces what was kept of it.
    void Put(CardId id, Value title, Value txt);
    void Remove(CardId id);

    size_t GetCount() const { return cards.size(); }
    // The bytes of titles and texts held, including those of replaced values
    // not yet given back.
    size_t GetByteSize() const { return bytes.size(); }
    bool Get(CardId id, Value& title, Value& txt) const;

    // What searchCards finds in the file, found here.
    kiln::qstd::QObArray<SearchResult> Search(const LiteralPattern& pattern) const;

private:
    struct Card {
        CardId id;
        size_t title, titleSize, txt, txtSize;
        bool titleNull, txtNull;
    };
    size_t append(Value value);
    Value valueAt(size_t offset, size_t size, bool null) const;
    void compact();

    std::vector<Card> cards;
    std::vector<unsigned char> bytes;
    // Bytes of values that were replaced or removed.
    size_t unused = 0;
};
