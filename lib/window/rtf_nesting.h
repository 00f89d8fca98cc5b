#pragma once

#include <cstddef>
#include <cstdint>

namespace kiln {
namespace qwin {

// How deep the groups of an RTF document nest, counting its outer group, as
// the rich edit control counts them; fed in pieces of any size. Escaped
// braces are no groups. The N bytes of \binN data are read two ways, and the
// deeper count holds: where the control reads a group it skips them unread
// (braces there would hide how deep the document nests), but in a group it
// skips unread, an unknown destination, it reads them as text, braces and all.
// The deepest nesting the rich edit control takes: it keeps a fixed stack
// of group states while it reads RTF and crashes on a document that nests
// deeper.
const unsigned kDeepestRtfNesting = 32;

// Throws QError naming the depth when a document nests deeper than the
// editor takes.
void RequireNestingTheEditorTakes(unsigned deepest);

class RtfNesting {
public:
    void Feed(const unsigned char* bytes, size_t count);
    unsigned Deepest() const;

private:
    class Reader {
    public:
        explicit Reader(bool skipsBinary) : skipsBinary(skipsBinary) {}
        void Feed(const unsigned char* bytes, size_t count);
        unsigned Deepest() const { return deepest; }

    private:
        enum class State { Text, Backslash, Word, Parameter, Binary };

        // The byte after a control word (and its parameter): a space belongs to
        // the word, any other byte is read again as what it is.
        void EndWord(unsigned char c);
        void Text(unsigned char c);

        const bool skipsBinary;
        State state = State::Text;
        // The letters of the control word read so far, as far as "bin" goes.
        unsigned wordLetters = 0;
        bool wordIsBin = false;
        bool negative = false;
        uint64_t parameter = 0;
        uint64_t binaryLeft = 0;
        unsigned depth = 0;
        unsigned deepest = 0;
    };

    Reader skipping{true};
    Reader reading{false};
};

}  // namespace qwin
}  // namespace kiln
