// The real dialogs behind the main window's modal seam, driven as a user would.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/product.h"
#include "app/prompts/user_prompts.h"
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

// How the user leaves a password dialog, and whether that confirms it.
struct Leaving {
    const char* name;
    std::function<void(HWND)> act;
    bool confirms;
};

std::vector<Leaving> WaysToLeave() {
    return {
        {"OK", [](HWND w) { guitest::ClickButton(w, L"OK"); }, true},
        {"Cancel", [](HWND w) { guitest::ClickButton(w, L"Cancel"); }, false},
        {"close box", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }, false},
    };
}

TEST(Win32UserPromptsTest, TheSetPasswordDialogGivesBothBoxesWholeOnlyWhenConfirmed) {
    // Longer than any buffer a dialog might read into.
    const std::wstring longPassword(700, L'k');
    for (const Leaving& way : WaysToLeave()) {
        SCOPED_TRACE(way.name);
        Win32UserPrompts prompts;
        NewPasswordEntries entries{L"untouched", L"untouched"};
        bool answered = !way.confirms;
        std::wstring texts;
        LONG styles[2] = {};
        const guitest::ModalOutcome outcome = guitest::DriveModal(
            [&] {
                answered = prompts.AskNewPassword(nullptr, entries);
                return INT_PTR(0);
            },
            L"Set password",
            [&](HWND dialog) {
                texts = guitest::DescendantTexts(dialog);
                styles[0] = GetWindowLongW(GetDlgItem(dialog, IDC_SET_PASSWORD), GWL_STYLE);
                styles[1] = GetWindowLongW(GetDlgItem(dialog, IDC_SET_REPEAT_PASSWORD), GWL_STYLE);
                SetDlgItemTextW(dialog, IDC_SET_PASSWORD, longPassword.c_str());
                SetDlgItemTextW(dialog, IDC_SET_REPEAT_PASSWORD, L"Repeated é");
                way.act(dialog);
            });
        ASSERT_TRUE(outcome.windowFound);
        ASSERT_TRUE(outcome.inTime);
        EXPECT_EQ(answered, way.confirms);
        EXPECT_EQ(std::wstring(entries.password.c_str()), way.confirms ? longPassword : L"untouched");
        EXPECT_STREQ(entries.repeatPassword.c_str(), way.confirms ? L"Repeated é" : L"untouched");
        EXPECT_NE(texts.find(L"Repeat password:"), std::wstring::npos);
        for (LONG style : styles) EXPECT_TRUE(style & ES_PASSWORD);
    }
}

TEST(Win32UserPromptsTest, TheChangePasswordDialogGivesItsThreeBoxesOnlyWhenConfirmed) {
    for (const Leaving& way : WaysToLeave()) {
        SCOPED_TRACE(way.name);
        Win32UserPrompts prompts;
        PasswordChangeEntries entries{L"untouched", L"untouched", L"untouched"};
        bool answered = !way.confirms;
        std::wstring texts;
        LONG styles[3] = {};
        const int boxes[3] = {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_REPEAT_NEW_PASSWORD};
        const guitest::ModalOutcome outcome = guitest::DriveModal(
            [&] {
                answered = prompts.AskPasswordChange(nullptr, entries);
                return INT_PTR(0);
            },
            L"Change Password",
            [&](HWND dialog) {
                texts = guitest::DescendantTexts(dialog);
                for (int i = 0; i < 3; ++i) styles[i] = GetWindowLongW(GetDlgItem(dialog, boxes[i]), GWL_STYLE);
                SetDlgItemTextW(dialog, IDC_OLD_PASSWORD, L"Old one");
                // The new box is left empty: an empty box reads as empty.
                SetDlgItemTextW(dialog, IDC_REPEAT_NEW_PASSWORD, L" spaced ");
                way.act(dialog);
            });
        ASSERT_TRUE(outcome.windowFound);
        ASSERT_TRUE(outcome.inTime);
        EXPECT_EQ(answered, way.confirms);
        EXPECT_STREQ(entries.oldPassword.c_str(), way.confirms ? L"Old one" : L"untouched");
        EXPECT_STREQ(entries.newPassword.c_str(), way.confirms ? L"" : L"untouched");
        EXPECT_STREQ(entries.repeatNewPassword.c_str(), way.confirms ? L" spaced " : L"untouched");
        EXPECT_NE(texts.find(L"Repeat new password:"), std::wstring::npos);
        for (LONG style : styles) EXPECT_TRUE(style & ES_PASSWORD);
    }
}

// Both dialogs that set a password offer the old file format: unchecked at
// first, its warning shown only while checked, and the choice given back
// with the entries. The box and its warning fit inside the dialog, above
// the buttons, in the font the system really uses.
TEST(Win32UserPromptsTest, ThePasswordDialogsOfferTheOldFormatWithAWarning) {
    struct Dialog {
        const wchar_t* caption;
        int box;
        int warning;
        std::function<bool(Win32UserPrompts&, bool& compatible)> ask;
    };
    const Dialog dialogs[] = {
        {L"Set password", IDC_SET_COMPATIBLE, IDC_SET_WEAK_WARNING,
         [](Win32UserPrompts& prompts, bool& compatible) {
             NewPasswordEntries entries;
             entries.compatible = !compatible;
             const bool answered = prompts.AskNewPassword(nullptr, entries);
             compatible = entries.compatible;
             return answered;
         }},
        {L"Change Password", IDC_CHANGE_COMPATIBLE, IDC_CHANGE_WEAK_WARNING,
         [](Win32UserPrompts& prompts, bool& compatible) {
             PasswordChangeEntries entries;
             entries.compatible = !compatible;
             const bool answered = prompts.AskPasswordChange(nullptr, entries);
             compatible = entries.compatible;
             return answered;
         }},
    };
    for (const Dialog& dialog : dialogs) {
        for (const bool check : {false, true}) {
            SCOPED_TRACE(testing::Message() << std::string(dialog.caption, dialog.caption + wcslen(dialog.caption))
                                            << (check ? " checked" : " unchecked"));
            Win32UserPrompts prompts;
            bool compatible = !check;
            bool answered = false;
            bool startsUnchecked = false, warningAtFirst = true, warningAfter = !check;
            bool fits = false;
            const guitest::ModalOutcome outcome = guitest::DriveModal(
                [&] {
                    answered = dialog.ask(prompts, compatible);
                    return INT_PTR(0);
                },
                dialog.caption,
                [&](HWND shown) {
                    const HWND box = GetDlgItem(shown, dialog.box);
                    const HWND warning = GetDlgItem(shown, dialog.warning);
                    startsUnchecked = IsDlgButtonChecked(shown, dialog.box) == BST_UNCHECKED;
                    warningAtFirst = (GetWindowLongW(warning, GWL_STYLE) & WS_VISIBLE) != 0;
                    if (check) guitest::ClickButton(shown, L"Compatible with older versions (weak protection)");
                    warningAfter = (GetWindowLongW(warning, GWL_STYLE) & WS_VISIBLE) != 0;

                    RECT client, boxRect, warningRect, ok;
                    GetClientRect(shown, &client);
                    GetWindowRect(box, &boxRect);
                    GetWindowRect(warning, &warningRect);
                    GetWindowRect(GetDlgItem(shown, IDOK), &ok);
                    for (RECT* rect : {&boxRect, &warningRect, &ok}) {
                        MapWindowPoints(nullptr, shown, reinterpret_cast<POINT*>(rect), 2);
                    }
                    const HDC dc = GetDC(box);
                    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
                    SIZE text = {};
                    const std::wstring label = guitest::WindowText(box);
                    GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &text);
                    SelectObject(dc, old);
                    ReleaseDC(box, dc);
                    fits = boxRect.right <= client.right && warningRect.right <= client.right &&
                           boxRect.bottom <= warningRect.top && warningRect.bottom <= ok.top &&
                           text.cx + GetSystemMetrics(SM_CXMENUCHECK) + 4 <= boxRect.right - boxRect.left;

                    guitest::ClickButton(shown, L"OK");
                });
            ASSERT_TRUE(outcome.windowFound);
            ASSERT_TRUE(outcome.inTime);
            EXPECT_TRUE(answered);
            EXPECT_TRUE(startsUnchecked);
            EXPECT_FALSE(warningAtFirst);
            EXPECT_EQ(warningAfter, check);
            EXPECT_EQ(compatible, check);
            EXPECT_TRUE(fits);
        }
    }
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

TEST(Win32UserPromptsTest, TheAboutBoxNamesTheProductAndItsVersion) {
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
    EXPECT_NE(texts.find(L"Vorlen " VORLEN_VERSION L" "), std::wstring::npos);
    EXPECT_NE(texts.find(L"Version " VORLEN_VERSION L" (" VORLEN_ARCHITECTURE L")"), std::wstring::npos);
}

}  // namespace

namespace {

std::wstring ItemText(HWND tree, HTREEITEM item) {
    wchar_t text[64] = {};
    TVITEMW data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = 64;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT how) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

// The dialog reads a branch only when it is opened, and gives the id of the
// entry selected when OK is pressed: the top level's is 0.
TEST(Win32UserPromptsTest, TheMoveToDialogGivesTheSelectedParentOnlyWhenConfirmed) {
    const struct {
        const char* name;
        bool pickIdeas;
        const wchar_t* button;
        bool answered;
        int64_t parent;
    } cases[] = {
        {"a card", true, L"OK", true, 2},
        {"the top level", false, L"OK", true, 0},
        {"cancelled", true, L"Cancel", false, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int64_t> levelsRead;
        const MoveTargetLevel readLevel = [&levelsRead](int64_t parentId) {
            levelsRead.push_back(parentId);
            if (parentId == 0) return std::vector<MoveTargetCard>{{1, L"Projects", true}, {3, L"Journal", false}};
            if (parentId == 1) return std::vector<MoveTargetCard>{{2, L"Ideas", false}};
            return std::vector<MoveTargetCard>{};
        };
        Win32UserPrompts prompts;
        int64_t parent = -1;
        bool answered = false;
        std::vector<std::wstring> topLevel;
        std::wstring label;
        const guitest::ModalOutcome outcome = guitest::DriveModal(
            [&] {
                answered = prompts.ChooseMoveTarget(nullptr, L"Journal", readLevel, parent);
                return INT_PTR(0);
            },
            L"Move to",
            [&](HWND dialog) {
                label = guitest::DescendantTexts(dialog);
                const HWND tree = GetDlgItem(dialog, IDC_MOVE_TREE);
                const HTREEITEM top = Next(tree, nullptr, TVGN_ROOT);
                topLevel.push_back(ItemText(tree, top));
                for (HTREEITEM item = Next(tree, top, TVGN_CHILD); item; item = Next(tree, item, TVGN_NEXT)) {
                    topLevel.push_back(ItemText(tree, item));
                }
                if (c.pickIdeas) {
                    const HTREEITEM projects = Next(tree, top, TVGN_CHILD);
                    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(projects));
                    const HTREEITEM ideas = Next(tree, projects, TVGN_CHILD);
                    EXPECT_EQ(ItemText(tree, ideas), L"Ideas");
                    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(ideas));
                }
                guitest::ClickButton(dialog, c.button);
            });
        ASSERT_TRUE(outcome.windowFound);
        ASSERT_TRUE(outcome.inTime);
        EXPECT_NE(label.find(L"Move \"Journal\" under:"), std::wstring::npos) << label;
        EXPECT_EQ(topLevel, (std::vector<std::wstring>{L"(the top level)", L"Projects", L"Journal"}));
        EXPECT_EQ(levelsRead, (c.pickIdeas ? std::vector<int64_t>{0, 1} : std::vector<int64_t>{0}));
        EXPECT_EQ(answered, c.answered);
        EXPECT_EQ(parent, c.parent);
    }
}

}  // namespace
