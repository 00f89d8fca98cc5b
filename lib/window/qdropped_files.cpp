#include "window/qdropped_files.h"

#include <vector>

namespace kiln {
namespace qwin {

unsigned QDroppedFiles::GetCount() const {
    return DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
}

qstd::QString QDroppedFiles::GetPath(unsigned index) const {
    const UINT length = DragQueryFileW(drop, index, nullptr, 0);
    std::vector<wchar_t> path(length + 1, L'\0');
    DragQueryFileW(drop, index, path.data(), length + 1);
    return path.data();
}

}  // namespace qwin
}  // namespace kiln
