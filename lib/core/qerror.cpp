#include "core/qerror.h"

namespace kiln {
namespace qstd {

QError::QError(const QString& message, int code) : message(message), code(code) {}

QError QError::FromLastError() {
    const DWORD error = GetLastError();
    QString text;
    text.FormatSystemError(error);
    return QError(text, static_cast<int>(error));
}

void QError::Show() const {
    MessageBoxW(GetActiveWindow(), message.c_str(), L"Error", MB_OK | MB_ICONERROR);
}

}  // namespace qstd
}  // namespace kiln
