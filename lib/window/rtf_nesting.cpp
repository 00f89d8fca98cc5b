#include "window/rtf_nesting.h"

#include "core/qerror.h"
#include "core/qstring.h"

namespace kiln {
namespace qwin {

namespace {

bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// Larger counts skip past the end of any document all the same.
constexpr uint64_t kLargestBinaryCount = uint64_t(1) << 48;

}  // namespace

void RequireNestingTheEditorTakes(unsigned deepest) {
    if (deepest <= kDeepestRtfNesting) return;
    qstd::QString message;
    message.Format(L"The RTF nests its groups %u deep; the editor takes at most %u.", deepest, kDeepestRtfNesting);
    throw qstd::QError(message);
}

void RtfNesting::Reader::Text(unsigned char c) {
    if (c == '\\') {
        state = State::Backslash;
    } else if (c == '{') {
        if (++depth > deepest) deepest = depth;
    } else if (c == '}' && depth > 0) {
        --depth;
    }
}

void RtfNesting::Reader::EndWord(unsigned char c) {
    const bool binary = skipsBinary && wordIsBin && !negative && parameter > 0;
    state = State::Text;
    if (binary) {
        binaryLeft = parameter;
        state = State::Binary;
        if (c == ' ') return;
        // Without a space the data begins with this very byte.
        if (--binaryLeft == 0) state = State::Text;
        return;
    }
    if (c != ' ') Text(c);
}

void RtfNesting::Reader::Feed(const unsigned char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const unsigned char c = bytes[i];
        switch (state) {
        case State::Text:
            Text(c);
            break;
        case State::Backslash:
            if (IsLetter(c)) {
                state = State::Word;
                wordLetters = 1;
                wordIsBin = c == 'b';
                negative = false;
                parameter = 0;
            } else {
                // A control symbol: \{ \} \\ and the like are no groups.
                state = State::Text;
            }
            break;
        case State::Word:
            if (IsLetter(c)) {
                ++wordLetters;
                wordIsBin = wordIsBin && wordLetters <= 3 && c == "bin"[wordLetters - 1];
            } else if (IsDigit(c) || c == '-') {
                wordIsBin = wordIsBin && wordLetters == 3;
                negative = c == '-';
                parameter = negative ? 0 : uint64_t(c - '0');
                state = State::Parameter;
            } else {
                wordIsBin = wordIsBin && wordLetters == 3;
                EndWord(c);
            }
            break;
        case State::Parameter:
            if (IsDigit(c)) {
                parameter = parameter * 10 + uint64_t(c - '0');
                if (parameter > kLargestBinaryCount) parameter = kLargestBinaryCount;
            } else {
                EndWord(c);
            }
            break;
        case State::Binary: {
            const size_t skip = count - i < binaryLeft ? count - i : static_cast<size_t>(binaryLeft);
            binaryLeft -= skip;
            i += skip - 1;
            if (binaryLeft == 0) state = State::Text;
            break;
        }
        }
    }
}

void RtfNesting::Feed(const unsigned char* bytes, size_t count) {
    skipping.Feed(bytes, count);
    reading.Feed(bytes, count);
}

unsigned RtfNesting::Deepest() const {
    return skipping.Deepest() > reading.Deepest() ? skipping.Deepest() : reading.Deepest();
}

}  // namespace qwin
}  // namespace kiln
