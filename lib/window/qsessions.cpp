#include "window/qsessions.h"

#include <ole2.h>
#include <uxtheme.h>

#include "core/qerror.h"

namespace kiln {
namespace qwin {

QOleSession::QOleSession(const wchar_t* failureText) : outermost(false) {
    const HRESULT result = OleInitialize(nullptr);
    if (FAILED(result)) throw qstd::QError(failureText);
    outermost = result == S_OK;
}

QOleSession::~QOleSession() {
    if (outermost) OleFlushClipboard();
    OleUninitialize();
}

QBufferedPaintSession::QBufferedPaintSession() : initialised(SUCCEEDED(BufferedPaintInit())) {}

QBufferedPaintSession::~QBufferedPaintSession() {
    if (initialised) BufferedPaintUnInit();
}

}  // namespace qwin
}  // namespace kiln
