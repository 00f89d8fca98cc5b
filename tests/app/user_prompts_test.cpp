// The real dialogs behind the main window's modal seam, driven as a user would.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "app/user_prompts.h"
#include "gui_harness.h"
#include "resources/command_ids.h"

namespace {

using kiln::qstd::QString;

TEST(Win32UserPromptsTest, AMessageBoxShowsItsCaptionAndText) {
    Win32UserPrompts prompts;
    std::wstring texts;
    const guitest::ModalOutcome outcome = guitest::DriveModal(
        [&] {
            prompts.ShowMessage(nullptr, L"Message", L"Open a database first!", 0);
            return INT_PTR(0);
        },
        L"Message",
        [&](HWND box) {
            texts = guitest::DescendantTexts(box);
            guitest::ClickButton(box, L"OK");
        });
    ASSERT_TRUE(outcome.windowFound);
    ASSERT_TRUE(outcome.inTime);
    EXPECT_NE(texts.find(L"Open a database first!"), std::wstring::npos);
}

TEST(Win32UserPromptsTest, ThePasswordDialogGivesWhatWasTypedOnlyWhenConfirmed) {
    struct Case {
        const char* name;
        const wchar_t* button;
        bool answered;
    };
    const Case cases[] = {{"OK", L"OK", true}, {"Cancel", L"Cancel", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Win32UserPrompts prompts;
        QString password = L"untouched";
        bool answered = false;
        const guitest::ModalOutcome outcome = guitest::DriveModal(
            [&] {
                answered = prompts.AskPassword(nullptr, password);
                return INT_PTR(0);
            },
            L"Enter password",
            [&](HWND dialog) {
                SetDlgItemTextW(dialog, IDC_PASSWORD, L"Open sesame");
                guitest::ClickButton(dialog, c.button);
            });
        ASSERT_TRUE(outcome.windowFound);
        ASSERT_TRUE(outcome.inTime);
        EXPECT_EQ(answered, c.answered);
        EXPECT_STREQ(password.c_str(), c.answered ? L"Open sesame" : L"untouched");
    }
}

TEST(Win32UserPromptsTest, ThePasswordBoxMasksWhatIsTyped) {
    Win32UserPrompts prompts;
    LONG style = 0;
    QString password;
    guitest::DriveModal(
        [&] {
            prompts.AskPassword(nullptr, password);
            return INT_PTR(0);
        },
        L"Enter password",
        [&](HWND dialog) {
            style = GetWindowLongW(GetDlgItem(dialog, IDC_PASSWORD), GWL_STYLE);
            guitest::ClickButton(dialog, L"Cancel");
        });
    EXPECT_TRUE(style & ES_PASSWORD);
}

TEST(Win32UserPromptsTest, OnlyTheDeleteButtonConfirmsADeletion) {
    struct Case {
        const char* name;
        std::function<void(HWND)> act;
        bool confirmed;
    };
    const Case cases[] = {
        {"Delete", [](HWND w) { guitest::ClickButton(w, L"Delete"); }, true},
        {"Cancel", [](HWND w) { guitest::ClickButton(w, L"Cancel"); }, false},
        {"Escape", [](HWND w) { guitest::PressKey(w, VK_ESCAPE); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Win32UserPrompts prompts;
        bool confirmed = !c.confirmed;
        std::wstring texts;
        const guitest::ModalOutcome outcome = guitest::DriveModal(
            [&] {
                confirmed = prompts.ConfirmDelete(nullptr, L"Shopping list", 3);
                return INT_PTR(0);
            },
            L"Delete",
            [&](HWND dialog) {
                texts = guitest::DescendantTexts(dialog);
                c.act(dialog);
            });
        ASSERT_TRUE(outcome.windowFound);
        ASSERT_TRUE(outcome.inTime);
        EXPECT_EQ(confirmed, c.confirmed);
        EXPECT_NE(texts.find(L"Do you really want to delete the following card ?"), std::wstring::npos);
        EXPECT_NE(texts.find(L"Shopping list"), std::wstring::npos);
        EXPECT_NE(texts.find(L"and the 3 cards below it"), std::wstring::npos);
    }
}

TEST(Win32UserPromptsTest, TheAboutBoxNamesTheProductAndItsBuild) {
    Win32UserPrompts prompts;
    std::wstring texts;
    const guitest::ModalOutcome outcome = guitest::DriveModal(
        [&] {
            prompts.ShowAbout(nullptr);
            return INT_PTR(0);
        },
        L"About Vorlen",
        [&](HWND dialog) {
            texts = guitest::DescendantTexts(dialog);
            guitest::ClickButton(dialog, L"OK");
        });
    ASSERT_TRUE(outcome.windowFound);
    ASSERT_TRUE(outcome.inTime);
    EXPECT_NE(texts.find(L"Vorlen 2.0 "), std::wstring::npos);
    // The build's date as the compiler gives it, e.g. "Oct  9 2016".
    const std::string date = __DATE__;
    EXPECT_NE(texts.find(std::wstring(date.begin(), date.end())), std::wstring::npos);
}

}  // namespace
