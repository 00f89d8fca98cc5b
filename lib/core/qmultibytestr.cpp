#include "core/qmultibytestr.h"

#include <utility>

namespace kiln {
namespace qstd {

QMultiByteStr::QMultiByteStr(const wchar_t* text, UINT codePage) : codePage(codePage) {
    if (!text) return;
    const int measured = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (measured <= 0) return;
    std::unique_ptr<char[]> converted(new char[measured]());
    const int written =
        WideCharToMultiByte(codePage, 0, text, -1, converted.get(), measured, nullptr, nullptr);
    if (written <= 0) return;
    bytes = std::move(converted);
    length = written - 1;
}

const char* QMultiByteStr::c_str() const {
    return bytes ? bytes.get() : "";
}

}  // namespace qstd
}  // namespace kiln
