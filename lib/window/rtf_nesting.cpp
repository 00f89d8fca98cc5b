#include "window/rtf_nesting.h"

#include "core/qerror.h"
#include "core/qstring.h"

namespace kiln {
namespace qwin {

void RequireNestingTheEditorTakes(unsigned deepest) {
    if (deepest <= kDeepestRtfNesting) return;
    qstd::QString message;
    message.Format(L"The RTF nests its groups %u deep; the editor takes at most %u.", deepest, kDeepestRtfNesting);
    throw qstd::QError(message);
}

void RtfNesting::Feed(const unsigned char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const unsigned char c = bytes[i];
        if (escaped) {
            escaped = false;
        } else if (c == '\\') {
            escaped = true;
        } else if (c == '{') {
            if (++depth > deepest) deepest = depth;
        } else if (c == '}' && depth > 0) {
            --depth;
        }
    }
}

}  // namespace qwin
}  // namespace kiln
