#pragma once

#include "core/qstring.h"

namespace kiln {
namespace qstd {

// The one exception type of the program: thrown by value, caught as const&.
class QError {
public:
    // code: the storage engine's extended result code, or 0 for a fixed text.
    QError(const QString& message, int code = 0);

    // The system's text for GetLastError(), carrying that error as its code.
    static QError FromLastError();

    // For errors no command handled: a message box owned by the active
    // window, captioned "Error".
    void Show() const;

    QString message;
    int code;
};

}  // namespace qstd
}  // namespace kiln
