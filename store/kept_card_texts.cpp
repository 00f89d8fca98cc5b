#include "store/kept_card_texts.h"

#include <algorithm>
#include <cstring>

using kiln::qstd::QObArray;
using kiln::qstd::QString;

namespace {

// The engine's own reading of UTF-8 as UTF-16, so that a title comes out
// exactly as a statement's column would give it, also where its bytes are
// not valid UTF-8: a lead byte takes every continuation byte that follows,
// and overlong forms, surrogates and the two non-characters at the end of a
// plane become U+FFFD.
QString titleText(const unsigned char* text, size_t size) {
    static const unsigned char kLeadBits[] = {
        0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f,
        0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x1b, 0x1c, 0x1d, 0x1e, 0x1f,
        0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f,
        0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x00, 0x01, 0x02, 0x03, 0x00, 0x01, 0x00, 0x00,
    };
    if (!text) return QString();
    std::vector<wchar_t> out;
    out.reserve(size);
    const unsigned char* end = text + size;
    while (text < end) {
        unsigned c = *text++;
        if (c >= 0xc0) {
            c = kLeadBits[c - 0xc0];
            while (text < end && (*text & 0xc0) == 0x80) c = (c << 6) + (0x3f & *text++);
            if (c < 0x80 || (c & 0xFFFFF800) == 0xD800 || (c & 0xFFFFFFFE) == 0xFFFE) c = 0xFFFD;
        }
        if (c <= 0xFFFF) {
            out.push_back(static_cast<wchar_t>(c));
        } else {
            c -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + ((c >> 10) & 0x3FF)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
        }
    }
    return QString(out.data(), static_cast<int>(out.size()));
}

}  // namespace

void KeptCardTexts::Reserve(size_t size) {
    bytes.reserve(size);
}

void KeptCardTexts::Clear() {
    std::vector<Card>().swap(cards);
    std::vector<unsigned char>().swap(bytes);
    unused = 0;
}

size_t KeptCardTexts::append(Value value) {
    const size_t at = bytes.size();
    if (value.size) bytes.insert(bytes.end(), value.bytes, value.bytes + value.size);
    return at;
}

KeptCardTexts::Value KeptCardTexts::valueAt(size_t offset, size_t size, bool null) const {
    if (null) return Value{};
    // An empty value is not NULL: it still needs an address.
    static const unsigned char kEmpty = 0;
    return Value{size ? bytes.data() + offset : &kEmpty, size};
}

void KeptCardTexts::Put(CardId id, Value title, Value txt) {
    auto place = std::lower_bound(cards.begin(), cards.end(), id,
                                  [](const Card& card, CardId wanted) { return card.id < wanted; });
    const bool known = place != cards.end() && place->id == id;
    if (known) unused += place->titleSize + place->txtSize;
    const size_t index = static_cast<size_t>(place - cards.begin());
    // Appending may move the block, which the values never point into.
    const Card card{id, append(title), title.size, append(txt), txt.size, !title.bytes, !txt.bytes};
    if (known) {
        cards[index] = card;
    } else {
        cards.insert(cards.begin() + static_cast<std::ptrdiff_t>(index), card);
    }
    if (unused > bytes.size() / 2 && unused > (1u << 20)) compact();
}

void KeptCardTexts::Remove(CardId id) {
    auto place = std::lower_bound(cards.begin(), cards.end(), id,
                                  [](const Card& card, CardId wanted) { return card.id < wanted; });
    if (place == cards.end() || place->id != id) return;
    unused += place->titleSize + place->txtSize;
    cards.erase(place);
    if (unused > bytes.size() / 2 && unused > (1u << 20)) compact();
}

bool KeptCardTexts::Get(CardId id, Value& title, Value& txt) const {
    auto place = std::lower_bound(cards.begin(), cards.end(), id,
                                  [](const Card& card, CardId wanted) { return card.id < wanted; });
    if (place == cards.end() || place->id != id) return false;
    title = valueAt(place->title, place->titleSize, place->titleNull);
    txt = valueAt(place->txt, place->txtSize, place->txtNull);
    return true;
}

// Values replaced by saves pile up at the end of the block; once they are
// half of it, the live ones are copied into a block of their own size.
void KeptCardTexts::compact() {
    std::vector<unsigned char> packed;
    packed.reserve(bytes.size() - unused);
    for (Card& card : cards) {
        const size_t title = packed.size();
        packed.insert(packed.end(), bytes.begin() + static_cast<std::ptrdiff_t>(card.title),
                      bytes.begin() + static_cast<std::ptrdiff_t>(card.title + card.titleSize));
        const size_t txt = packed.size();
        packed.insert(packed.end(), bytes.begin() + static_cast<std::ptrdiff_t>(card.txt),
                      bytes.begin() + static_cast<std::ptrdiff_t>(card.txt + card.txtSize));
        card.title = title;
        card.txt = txt;
    }
    bytes.swap(packed);
    unused = 0;
}

QObArray<SearchResult> KeptCardTexts::Search(const LiteralPattern& pattern) const {
    QObArray<SearchResult> results;
    const unsigned char* block = bytes.data();
    for (const Card& card : cards) {
        const unsigned char* title = card.titleNull ? nullptr : block + card.title;
        const unsigned char* txt = card.txtNull ? nullptr : block + card.txt;
        // An empty value at the very end of an empty block still has to
        // differ from NULL.
        static const unsigned char kEmpty = 0;
        if (!card.titleNull && !block) title = &kEmpty;
        if (!card.txtNull && !block) txt = &kEmpty;
        if (pattern.IsPrefixOf(title, card.titleSize) || pattern.IsFoundIn(txt, card.txtSize)) {
            results.Add(new SearchResult{card.id, titleText(title, card.titleSize)});
        }
    }
    return results;
}
