// The progress dialog of long work: a task dialog on the window's thread
// while the work runs on a thread of its own.

#include <windows.h>

#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

#include "app/product.h"
#include "app/prompts/user_prompts.h"
#include "resources/command_ids.h"
#include "window/qtaskdialog.h"

using kiln::qstd::QString;
using kiln::qwin::QTaskDialog;

namespace {

// Cancel does not close the dialog: it asks the work to stop, and the dialog
// closes when the work has ended, so that the caller never goes on while the
// work still writes.
//
// The work only leaves its latest report behind; the dialog's own timer
// shows it five times a second. Work that reports for each of thousands of
// cards then never waits for the dialog to redraw, and the dialog is not
// kept redrawing texts nobody could read.
class ProgressDialog : public QTaskDialog, public ProgressReport {
public:
    ProgressDialog(HWND owner, const QString& caption)
        : QTaskDialog(owner, kProductName, kProductName, caption.c_str(), nullptr, TDCBF_CANCEL_BUTTON,
                      TDF_SHOW_PROGRESS_BAR | TDF_POSITION_RELATIVE_TO_WINDOW | TDF_ALLOW_DIALOG_CANCELLATION |
                          TDF_USE_HICON_MAIN | TDF_CALLBACK_TIMER) {
        mainIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VORLEN));
        progressMax = 1000;
    }

    bool Report(unsigned permille, const QString& text) override {
        std::lock_guard<std::mutex> lock(reportLock);
        reportedPermille = permille;
        reportedText = text;
        reportPending = true;
        return !cancelRequested;
    }

    bool OnCreate() override {
        ShowReport();
        return false;
    }

    bool OnTimer(UINT_PTR) override {
        ShowReport();
        return false;
    }

    HRESULT OnButtonClicked(int id) override {
        if (id != IDCANCEL) return S_OK;
        if (!cancelRequested.exchange(true)) SetElementText(TDE_CONTENT, L"Cancelling...");
        return S_FALSE;
    }

private:
    // On the dialog's thread only.
    void ShowReport() {
        unsigned permille;
        QString text;
        {
            std::lock_guard<std::mutex> lock(reportLock);
            if (!reportPending) return;
            reportPending = false;
            permille = reportedPermille;
            text = reportedText;
        }
        SetProgressPos(static_cast<int>(permille));
        // Once cancelled, the dialog says so until it closes.
        if (!cancelRequested) SetElementText(TDE_CONTENT, text);
    }

    std::atomic<bool> cancelRequested{false};
    std::mutex reportLock;
    bool reportPending = false;
    unsigned reportedPermille = 0;
    QString reportedText;
};

}  // namespace

void Win32UserPrompts::RunWithProgress(HWND owner, const QString& caption, const ProgressWork& work) {
    ProgressDialog dialog(owner, caption);
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work(dialog);
        } catch (...) {
            failure = std::current_exception();
        }
        // Also before the dialog's window exists: it then closes as it opens.
        dialog.Close();
    });
    dialog.Show();
    worker.join();
    if (failure) std::rethrow_exception(failure);
}
