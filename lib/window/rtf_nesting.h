#pragma once

#include <cstddef>

namespace kiln {
namespace qwin {

// How deep the groups of an RTF document nest, counting its outer group, as
// the rich edit control counts them; fed in pieces of any size. Escaped
// braces are no groups. The bytes of \binN data are read like any others,
// since a control that does not know the word sees braces among them.
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
    unsigned Deepest() const { return deepest; }

private:
    bool escaped = false;
    unsigned depth = 0;
    unsigned deepest = 0;
};

}  // namespace qwin
}  // namespace kiln
