#pragma once

#include "core/qobarray.h"
#include "core/qstring.h"

namespace kiln {
namespace files {

// A string holding a file or archive member path.
class QPathStr : public qstd::QString {
public:
    using qstd::QString::QString;
    using qstd::QString::operator=;
    QPathStr() = default;
    QPathStr(const qstd::QString& path) : qstd::QString(path) {}

    // out receives the part after the last backslash (true), or the whole
    // path when there is no backslash (false). An empty path leaves out
    // alone and answers true.
    bool GetFileName(qstd::QString& out) const;
    void ToForwardSlashes();
    // Appends one string per non-empty run between separators.
    void Split(qstd::QObArray<qstd::QString>& target, wchar_t separator) const;
};

// Whether the last part of path is a name Windows keeps for a device (CON,
// PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9, CONIN$, CONOUT$), in any case,
// with any extension and any trailing dots or blanks: opening such a name
// reaches the device, not a file.
bool IsReservedDeviceName(const wchar_t* path);

// Room MakeLongPath needs in out, terminator included.
constexpr int kLongPathRoom = 2048;

// The "\\?\" form of a drive path or the "\\?\UNC\" form of a network path,
// for names that the plain form cannot open. False for relative paths, paths
// already in that form, and paths whose long form would not fit in
// kLongPathRoom units.
bool MakeLongPath(const wchar_t* path, wchar_t* out);

}  // namespace files
}  // namespace kiln
