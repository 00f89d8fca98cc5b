#pragma once

#include <windows.h>

#include <memory>

namespace kiln {
namespace qstd {

// Wide text converted to a multi-byte code page for the edges that want bytes
// (UTF-8 file names for the storage engine, ANSI texts). Owns the converted,
// NUL-terminated bytes until it goes out of scope.
class QMultiByteStr {
public:
    explicit QMultiByteStr(const wchar_t* text, UINT codePage = CP_UTF8);

    // Never null: "" when the conversion produced nothing.
    const char* c_str() const;
    // Bytes before the terminator.
    int GetLength() const { return length; }
    UINT GetCodePage() const { return codePage; }

private:
    UINT codePage;
    std::unique_ptr<char[]> bytes;
    int length = 0;
};

}  // namespace qstd
}  // namespace kiln
