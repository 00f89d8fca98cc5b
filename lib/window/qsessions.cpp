#include "window/qsessions.h"

#include <ole2.h>
#include <uxtheme.h>

#include "core/qerror.h"

namespace kiln {
namespace qwin {

QOleSession::QOleSession(const wchar_t* failureText) {
    if (FAILED(OleInitialize(nullptr))) throw qstd::QError(failureText);
}

QOleSession::~QOleSession() {
    OleFlushClipboard();
    OleUninitialize();
}

QBufferedPaintSession::QBufferedPaintSession() : initialised(SUCCEEDED(BufferedPaintInit())) {}

QBufferedPaintSession::~QBufferedPaintSession() {
    if (initialised) BufferedPaintUnInit();
}

}  // namespace qwin
}  // namespace kiln
