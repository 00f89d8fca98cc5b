#pragma once

#include <windows.h>
#include <shellapi.h>

#include "core/qstring.h"

namespace kiln {
namespace qwin {

// The files of one drop, released (DragFinish) when the object goes, also
// when an error ends the handling early.
class QDroppedFiles {
public:
    explicit QDroppedFiles(HDROP drop) : drop(drop) {}
    QDroppedFiles(const QDroppedFiles&) = delete;
    QDroppedFiles& operator=(const QDroppedFiles&) = delete;
    ~QDroppedFiles() { DragFinish(drop); }

    unsigned GetCount() const;
    // The whole path, however long: its length is asked for first.
    qstd::QString GetPath(unsigned index) const;

private:
    HDROP drop;
};

}  // namespace qwin
}  // namespace kiln
