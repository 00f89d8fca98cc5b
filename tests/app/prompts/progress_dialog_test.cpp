// The real progress dialog behind the modal seam: it shows the work's
// reports, closes however the work ends, and Cancel stops the work without
// closing the dialog before the work has ended.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>

#include "app/prompts/user_prompts.h"
#include "core/qerror.h"
#include "gui_harness.h"

namespace {

using kiln::qstd::QError;
using kiln::qstd::QString;

const wchar_t* const kCaption = L"Import Vorlen";

TEST(ProgressDialogTest, TheDialogClosesWhenTheWorkEndsAndPassesOnWhatItThrew) {
    struct Case {
        const char* name;
        bool throws;
    };
    const Case cases[] = {{"finished", false}, {"failed", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Win32UserPrompts prompts;
        std::atomic<bool> seen{false};
        std::wstring texts;
        bool gone = false;
        std::wstring thrown;
        const guitest::ModalOutcome outcome = guitest::DriveModal(
            [&] {
                try {
                    prompts.RunWithProgress(nullptr, kCaption, [&](ProgressReport& report) {
                        report.Report(500, L"Importing records: 42");
                        guitest::WaitUntil([&] { return seen.load(); });
                        if (c.throws) throw QError(L"disk I/O error");
                    });
                } catch (const QError& error) {
                    thrown = error.message.c_str();
                }
                return INT_PTR(0);
            },
            kCaption,
            [&](HWND dialog) {
                guitest::WaitUntil([&] {
                    return guitest::DescendantTexts(dialog).find(L"Importing records: 42") != std::wstring::npos;
                });
                texts = guitest::DescendantTexts(dialog);
                seen = true;
                gone = guitest::WaitForWindowGone(dialog);
            });
        ASSERT_TRUE(outcome.windowFound);
        ASSERT_TRUE(outcome.inTime);
        EXPECT_NE(texts.find(L"Importing records: 42"), std::wstring::npos) << "the dialog showed: " << texts.c_str();
        EXPECT_TRUE(gone);
        EXPECT_EQ(thrown, c.throws ? L"disk I/O error" : L"");
    }
}

TEST(ProgressDialogTest, CancelStopsTheWorkAndTheDialogStaysUntilTheWorkHasEnded) {
    Win32UserPrompts prompts;
    std::atomic<bool> cancelSeen{false};
    std::atomic<bool> workEnded{false};
    std::atomic<int> reports{0};
    bool openWhileStopping = false;
    bool gone = false;
    const guitest::ModalOutcome outcome = guitest::DriveModal(
        [&] {
            prompts.RunWithProgress(nullptr, kCaption, [&](ProgressReport& report) {
                for (int i = 0; i < 1000 && !cancelSeen; ++i) {
                    if (!report.Report(static_cast<unsigned>(i), L"Importing records")) cancelSeen = true;
                    ++reports;
                    Sleep(5);
                }
                // Stopping takes a while, as a rollback does.
                Sleep(300);
                workEnded = true;
            });
            return INT_PTR(0);
        },
        kCaption,
        [&](HWND dialog) {
            guitest::WaitUntil([&] { return reports.load() > 0; });
            guitest::ClickButton(dialog, L"Cancel");
            guitest::WaitUntil([&] { return cancelSeen.load(); });
            openWhileStopping = IsWindow(dialog) && !workEnded;
            gone = guitest::WaitForWindowGone(dialog);
        });
    ASSERT_TRUE(outcome.windowFound);
    ASSERT_TRUE(outcome.inTime);
    EXPECT_TRUE(cancelSeen);
    EXPECT_LT(reports.load(), 1000);
    EXPECT_TRUE(openWhileStopping);
    EXPECT_TRUE(workEnded);
    EXPECT_TRUE(gone);
}

}  // namespace
