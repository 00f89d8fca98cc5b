#include "store/card_id.h"

#include "core/qerror.h"
#include "core/qstring.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

constexpr CardId kLargestItemValue = 0xFFFFFFFFLL;

}  // namespace

QString cardIdText(CardId id) {
    // Built by hand: the C runtime's formatter does not read 64-bit
    // arguments the same way on every system.
    wchar_t digits[24];
    wchar_t* end = digits + 24;
    wchar_t* start = end;
    unsigned long long magnitude = id < 0 ? 0ULL - static_cast<unsigned long long>(id) : id;
    do {
        *--start = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (id < 0) *--start = L'-';
    return QString(start, static_cast<int>(end - start));
}

bool fitsItemValue(CardId id) {
    return id >= 0 && id <= kLargestItemValue;
}

uint32_t cardIdToItemValue(CardId id) {
    if (!fitsItemValue(id)) {
        throw QError(L"The card id " + cardIdText(id) + L" cannot be shown: this program shows cards with ids from 0 to " +
                     cardIdText(kLargestItemValue) + L".");
    }
    return static_cast<uint32_t>(id);
}

CardId cardIdFromItemValue(uint32_t value) {
    return static_cast<CardId>(value);
}
