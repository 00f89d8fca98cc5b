// The import shows its progress in a task dialog that runs on a thread of its
// own while the user-interface thread works and drives the dialog.

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "core/qstring.h"
#include "gui_harness.h"
#include "window/qtaskdialog.h"

namespace {

using kiln::qstd::QString;
using kiln::qwin::QTaskDialog;

const wchar_t kTitle[] = L"Import Vorlen";

const DWORD kProgressFlags = TDF_SHOW_PROGRESS_BAR | TDF_POSITION_RELATIVE_TO_WINDOW | TDF_CAN_BE_MINIMIZED;

// The import's progress dialog: no button the user could press, no cancelling.
class ProgressDialog : public QTaskDialog {
public:
    ProgressDialog() : QTaskDialog(nullptr, L"Vorlen", L"Vorlen", kTitle, L"", TDCBF_OK_BUTTON, kProgressFlags) {
        disabledCommonButtons = TDCBF_OK_BUTTON;
        elevatedCommonButtons = TDCBF_OK_BUTTON;
    }
    bool OnCreate() override {
        HWND bar = FindWindowExW(GetHandle(), nullptr, PROGRESS_CLASSW, nullptr);
        shownPosition = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
        return true;
    }
    std::atomic<int> shownPosition{-1};
};

// The progress thread: hands the dialog's address over, then shows it until
// someone closes it. hold delays the showing until the driver has run, to
// reproduce a close or an update that comes before the window. The dialog
// outlives the thread, so that a failing test can still close it.
class ProgressThread {
public:
    explicit ProgressThread(bool hold)
        : ready(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          go(CreateEventW(nullptr, TRUE, !hold, nullptr)),
          thread([this] { Run(); }) {}
    ~ProgressThread() {
        SetEvent(go);
        if (!finished) dialog.Close();
        thread.Join();
        CloseHandle(ready);
        CloseHandle(go);
    }

    ProgressDialog* WaitForDialog() {
        return WaitForSingleObject(ready, guitest::kDefaultTimeoutMs) == WAIT_OBJECT_0 ? &dialog : nullptr;
    }
    void Release() { SetEvent(go); }
    bool Finish() { return finished = thread.Join(); }

    std::atomic<int> result{0};

private:
    void Run() {
        SetEvent(ready);
        if (WaitForSingleObject(go, guitest::kDefaultTimeoutMs) != WAIT_OBJECT_0) return;
        result = dialog.Show();
    }

    ProgressDialog dialog;
    bool finished = false;
    HANDLE ready;
    HANDLE go;
    guitest::ScriptThread thread;
};

TEST(TaskDialogThread, ProgressIsDrivenFromAnotherThreadAndClosedFromOutside) {
    const int records = 40;
    ProgressThread progress(false);
    QTaskDialog* dialog = progress.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    HWND window = guitest::WaitForTopWindow(kTitle);
    ASSERT_NE(window, nullptr);
    HWND bar = guitest::FindDescendant(window, PROGRESS_CLASSW, nullptr);
    ASSERT_NE(bar, nullptr);

    dialog->SetMarquee(false, false, 0);
    dialog->SetProgressRange(0, records);
    dialog->SetElementText(TDE_CONTENT, L"Prepare Data...");
    const bool prepareShown = guitest::DescendantTexts(window).find(L"Prepare Data...") != std::wstring::npos;
    LRESULT midway = 0;
    for (int k = 0; k < records; ++k) {
        QString text;
        text.Format(L"Importing records: %d", k);
        dialog->SetProgressPos(k + 1);
        dialog->SetElementText(TDE_CONTENT, text);
        if (k == records / 2) guitest::SendWithTimeout(bar, PBM_GETPOS, 0, 0, &midway);
    }
    PBRANGE range = {};
    LRESULT position = 0;
    guitest::SendWithTimeout(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    guitest::SendWithTimeout(bar, PBM_GETPOS, 0, 0, &position);
    const std::wstring texts = guitest::DescendantTexts(window);

    dialog->Close();
    ASSERT_TRUE(progress.Finish());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(progress.result, IDCANCEL);
    EXPECT_TRUE(prepareShown);
    EXPECT_EQ(midway, records / 2 + 1);
    EXPECT_EQ(range.iHigh, records);
    EXPECT_EQ(position, records);
    EXPECT_NE(texts.find(L"Importing records: 39"), std::wstring::npos);
}

// Updates and the close request written before the window exists are not lost.
TEST(TaskDialogThread, ChangesMadeBeforeTheWindowExistsAreApplied) {
    ProgressThread progress(true);
    ProgressDialog* dialog = progress.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->SetProgressRange(0, 10);
    dialog->SetProgressPos(7);
    dialog->Close();
    progress.Release();
    ASSERT_TRUE(progress.Finish());
    EXPECT_EQ(progress.result, IDCANCEL);
    EXPECT_EQ(dialog->shownPosition, 7);
}

// However the close request and the creation of the window interleave, the
// dialog closes.
TEST(TaskDialogThread, ACloseRacingTheCreationAlwaysCloses) {
    for (int round = 0; round < 10; ++round) {
        ProgressThread progress(false);
        QTaskDialog* dialog = progress.WaitForDialog();
        ASSERT_NE(dialog, nullptr);
        if (round % 2) Sleep(round);
        dialog->Close();
        ASSERT_TRUE(progress.Finish()) << "round " << round;
        EXPECT_EQ(progress.result, IDCANCEL) << "round " << round;
    }
}

}  // namespace
