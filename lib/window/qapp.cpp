#include "window/qapp.h"

#include "core/qerror.h"

namespace kiln {
namespace qapp {

using qstd::QError;

bool QApp::InitInstance() {
    return true;
}

void QApp::ExitInstance() {}

bool QApp::PreTranslateMessage(MSG*) {
    return false;
}

int QApp::Run() {
    try {
        if (!InitInstance()) {
            PostQuitMessage(-1);
            return -1;
        }
        MSG msg;
        for (;;) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0 || got == -1) break;
            if (!PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        ExitInstance();
        return 0;
    } catch (const QError& error) {
        error.Show();
    } catch (...) {
        QError::FromLastError().Show();
    }
    return 0;
}

}  // namespace qapp
}  // namespace kiln
