#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/qerror.h"
#include "gui_harness.h"
#include "window/qtaskdialog.h"

namespace {

using kiln::qstd::QError;
using kiln::qwin::QTaskDialog;
using Button = QTaskDialog::QTaskDialogButton;

const wchar_t kDeleteFooter[] =
    L"<a href=\"https://vorlen.example/help#delete/\">Delete</a> will remove selected card permanently.";
const wchar_t kAboutFooter[] = L"<a href=\"https://vorlen.example/update\">Check for update.</a>";

// Records what the notifications delivered.
class RecordingDialog : public QTaskDialog {
public:
    using QTaskDialog::BuildConfig;
    using QTaskDialog::QTaskDialog;

    HRESULT OnButtonClicked(int id) override {
        calls.push_back(L"button " + std::to_wstring(id));
        if (refuseButton == id) {
            refuseButton = 0;
            return S_FALSE;
        }
        if (failOnButton) throw QError(L"The button handler broke.");
        return S_OK;
    }
    HRESULT OnRadioButtonClicked(int id) override {
        calls.push_back(L"radio " + std::to_wstring(id));
        return S_OK;
    }
    HRESULT OnVerificationClicked(bool checked) override {
        calls.push_back(checked ? L"verification on" : L"verification off");
        return S_OK;
    }
    HRESULT OnExpandoButtonClicked(bool expanded) override {
        calls.push_back(expanded ? L"expanded" : L"collapsed");
        return S_OK;
    }
    // Recorded instead of opened: a test must not start a browser.
    HRESULT OnHyperlinkClicked(const wchar_t* href) override {
        calls.push_back(std::wstring(L"link ") + href);
        return S_OK;
    }
    bool OnCreate() override {
        calls.push_back(L"created");
        return true;
    }
    bool OnDestroy() override {
        calls.push_back(L"destroyed");
        return false;
    }

    std::vector<std::wstring> calls;
    int refuseButton = 0;
    bool failOnButton = false;
};

// Shows the dialog while script drives it from a helper thread.
int ShowScripted(QTaskDialog& dialog, const wchar_t* title, const std::function<void(HWND)>& script,
                 bool* watchdogFired) {
    const guitest::ModalOutcome outcome = guitest::DriveModal([&] { return dialog.Show(); }, title, script);
    *watchdogFired = !outcome.inTime || !outcome.windowFound;
    return static_cast<int>(outcome.result);
}

// Clicks the link control whose markup is text, as the control reports a click.
void ClickLink(HWND dialog, const wchar_t* text) {
    HWND link = guitest::FindDescendant(dialog, L"SysLink", text);
    NMLINK click = {};
    click.item.mask = LIF_ITEMINDEX | LIF_URL;
    if (!link || !guitest::SendWithTimeout(link, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&click.item))) return;
    click.hdr.hwndFrom = link;
    click.hdr.idFrom = GetDlgCtrlID(link);
    click.hdr.code = NM_CLICK;
    guitest::SendWithTimeout(dialog, WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

RecordingDialog* MakeDeleteConfirmation(const wchar_t* cardTitle) {
    auto* dialog = new RecordingDialog(nullptr, cardTitle, L"Do you really want to delete the following card ?",
                                       L"Delete", kDeleteFooter, TDCBF_CANCEL_BUTTON,
                                       TDF_ENABLE_HYPERLINKS | TDF_ALLOW_DIALOG_CANCELLATION |
                                           TDF_POSITION_RELATIVE_TO_WINDOW | TDF_USE_HICON_MAIN);
    dialog->mainIcon = LoadIconW(nullptr, IDI_APPLICATION);
    dialog->AddButton(Button{100, L"Delete", Button::ENABLED});
    return dialog;
}

TEST(TaskDialog, OnlyTheDeleteButtonConfirmsADeletion) {
    struct Case {
        const char* action;
        std::function<void(HWND)> act;
        int expected;
    };
    const Case cases[] = {
        {"Escape", [](HWND w) { guitest::PressKey(w, VK_ESCAPE); }, IDCANCEL},
        {"close box", [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
        {"Cancel", [](HWND w) { guitest::ClickButton(w, L"Cancel"); }, IDCANCEL},
        {"Delete", [](HWND w) { guitest::ClickButton(w, L"Delete"); }, 100},
    };
    for (const Case& c : cases) {
        std::unique_ptr<RecordingDialog> dialog(MakeDeleteConfirmation(L"Shopping list"));
        std::wstring texts;
        bool fired = false;
        const int result = ShowScripted(*dialog, L"Delete", [&](HWND window) {
            texts = guitest::DescendantTexts(window);
            c.act(window);
        }, &fired);
        ASSERT_FALSE(fired) << c.action;
        EXPECT_EQ(result, c.expected) << c.action;
        EXPECT_EQ(dialog->selectedButton, c.expected) << c.action;
        EXPECT_NE(texts.find(L"Do you really want to delete the following card ?"), std::wstring::npos);
        EXPECT_NE(texts.find(L"Shopping list"), std::wstring::npos);
    }
}

TEST(TaskDialog, AButtonHandlerCanKeepTheDialogOpen) {
    std::unique_ptr<RecordingDialog> dialog(MakeDeleteConfirmation(L"Card"));
    dialog->refuseButton = 100;
    bool openAfterRefusal = false;
    bool fired = false;
    const int result = ShowScripted(*dialog, L"Delete", [&](HWND window) {
        guitest::ClickButton(window, L"Delete");
        openAfterRefusal = IsWindow(window) && IsWindowVisible(window);
        guitest::ClickButton(window, L"Delete");
    }, &fired);
    ASSERT_FALSE(fired);
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(result, 100);
    EXPECT_EQ(dialog->calls, (std::vector<std::wstring>{L"created", L"button 100", L"button 100", L"destroyed"}));
}

TEST(TaskDialog, AnAboutBoxExpandsAndReportsItsLink) {
    RecordingDialog dialog(nullptr, L"Keeps cards.\nAll rights reserved.\n\nOct  9 2016, 15:08:39",
                           L"Vorlen 2.0 x86  ", L"About Vorlen", kAboutFooter, TDCBF_OK_BUTTON,
                           TDF_ENABLE_HYPERLINKS | TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW |
                               TDF_USE_HICON_MAIN | TDF_USE_HICON_FOOTER);
    dialog.mainIcon = dialog.footerIcon = LoadIconW(nullptr, IDI_APPLICATION);
    dialog.expandedInformation = L"A card keeper.\nMade by Vorlen.\nFree to use.";
    dialog.collapsedControlText = L"Show more";
    dialog.expandedControlText = L"Hide";
    std::wstring expandoAfterClick;
    bool fired = false;
    const int result = ShowScripted(dialog, L"About Vorlen", [&](HWND window) {
        HWND expando = guitest::FindDescendant(window, L"Button", L"Show more");
        if (expando) guitest::SendWithTimeout(expando, BM_CLICK, 0, 0);
        expandoAfterClick = guitest::WindowText(expando);

        ClickLink(window, kAboutFooter);
        guitest::ClickButton(window, L"OK");
    }, &fired);
    ASSERT_FALSE(fired);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(expandoAfterClick, L"Hide");
    EXPECT_EQ(dialog.calls, (std::vector<std::wstring>{L"created", L"expanded", L"link https://vorlen.example/update",
                                                        L"button 1", L"destroyed"}));
}

// The link's address goes to the shell: here a batch file that leaves a mark.
TEST(TaskDialog, AClickedLinkIsOpenedWithTheShell) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring script = std::wstring(folder) + L"vorlen_link_test.bat";
    const std::wstring mark = std::wstring(folder) + L"vorlen_link_test.txt";
    DeleteFileW(mark.c_str());
    HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const char body[] = "@echo opened> \"%~dp0vorlen_link_test.txt\"\r\n";
    DWORD written = 0;
    WriteFile(file, body, sizeof(body) - 1, &written, nullptr);
    CloseHandle(file);

    const std::wstring footer = L"<a href=\"" + script + L"\">Run</a>";
    QTaskDialog dialog(nullptr, L"", L"", L"Link", footer.c_str(), TDCBF_OK_BUTTON, TDF_ENABLE_HYPERLINKS);
    bool marked = false;
    bool fired = false;
    ShowScripted(dialog, L"Link", [&](HWND window) {
        ClickLink(window, footer.c_str());
        marked = guitest::WaitUntil([&] { return GetFileAttributesW(mark.c_str()) != INVALID_FILE_ATTRIBUTES; },
                                    10000);
        guitest::ClickButton(window, L"OK");
    }, &fired);
    ASSERT_FALSE(fired);
    EXPECT_TRUE(marked);
    DeleteFileW(mark.c_str());
    DeleteFileW(script.c_str());
}

TEST(TaskDialog, RadioButtonsAndTheVerificationBoxReportTheirState) {
    RecordingDialog dialog(nullptr, L"Content", L"Choose", L"Choices", L"", TDCBF_OK_BUTTON | TDCBF_CANCEL_BUTTON,
                           TDF_VERIFICATION_FLAG_CHECKED);
    dialog.AddRadioButton(Button{10, L"First", Button::ENABLED});
    dialog.AddRadioButton(Button{11, L"Second", 0});
    dialog.AddRadioButton(Button{12, L"Third", Button::ENABLED});
    dialog.defaultRadioButton = 12;
    dialog.verificationText = L"Do not ask again";
    bool secondEnabled = true;
    bool verificationShownChecked = false;
    bool fired = false;
    const int result = ShowScripted(dialog, L"Choices", [&](HWND window) {
        secondEnabled = IsWindowEnabled(guitest::FindDescendant(window, L"Button", L"Second")) != FALSE;
        HWND verification = guitest::FindDescendant(window, L"Button", L"Do not ask again");
        LRESULT state = 0;
        guitest::SendWithTimeout(verification, BM_GETCHECK, 0, 0, &state);
        verificationShownChecked = state == BST_CHECKED;
        guitest::ClickButton(window, L"First");
        guitest::SendWithTimeout(verification, BM_CLICK, 0, 0);
        guitest::ClickButton(window, L"OK");
    }, &fired);
    ASSERT_FALSE(fired);
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(secondEnabled);
    EXPECT_TRUE(verificationShownChecked);
    EXPECT_EQ(dialog.selectedRadioButton, 10);
    EXPECT_FALSE(dialog.verificationChecked);
    EXPECT_EQ(dialog.calls, (std::vector<std::wstring>{L"created", L"radio 12", L"radio 10", L"verification off",
                                                        L"button 1", L"destroyed"}));
}

// Progress bar, disabled and elevated buttons are applied once the window
// exists; a dialog the user cannot cancel is still closed from outside.
TEST(TaskDialog, InitialStateIsAppliedAndCloseEndsAnUncancellableDialog) {
    QTaskDialog dialog(nullptr, L"Vorlen", L"Vorlen", L"Progress", L"", TDCBF_OK_BUTTON,
                       TDF_SHOW_PROGRESS_BAR | TDF_POSITION_RELATIVE_TO_WINDOW | TDF_CAN_BE_MINIMIZED);
    dialog.disabledCommonButtons = TDCBF_OK_BUTTON;
    dialog.elevatedCommonButtons = TDCBF_OK_BUTTON;
    dialog.AddButton(Button{300, L"Custom", Button::ELEVATION_REQUIRED});
    dialog.progressMin = 5;
    dialog.progressMax = 50;
    dialog.progressPos = 20;
    dialog.progressState = PBST_PAUSED;
    PBRANGE range = {};
    LRESULT position = 0;
    bool okEnabled = true, customEnabled = true, survivedClose = true;
    bool fired = false;
    const int result = ShowScripted(dialog, L"Progress", [&](HWND window) {
        HWND bar = guitest::FindDescendant(window, PROGRESS_CLASSW, nullptr);
        guitest::SendWithTimeout(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        guitest::SendWithTimeout(bar, PBM_GETPOS, 0, 0, &position);
        okEnabled = IsWindowEnabled(guitest::FindDescendant(window, L"Button", L"OK")) != FALSE;
        customEnabled = IsWindowEnabled(guitest::FindDescendant(window, L"Button", L"Custom")) != FALSE;
        // Neither Escape nor the close request of the window manager cancels it.
        guitest::PressKey(window, VK_ESCAPE);
        guitest::SendWithTimeout(window, WM_CLOSE, 0, 0);
        survivedClose = IsWindow(window) && !guitest::WaitForWindowGone(window, 200);
        dialog.Close();
    }, &fired);
    ASSERT_FALSE(fired);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(range.iLow, 5);
    EXPECT_EQ(range.iHigh, 50);
    EXPECT_EQ(position, 20);
    // The bar's state (paused) is sent too, but Wine's progress bar does not
    // keep a state to read back.
    EXPECT_FALSE(okEnabled);
    EXPECT_FALSE(customEnabled);
    EXPECT_TRUE(survivedClose);
}

TEST(TaskDialog, AMarqueeBarStartsAsAMarquee) {
    QTaskDialog dialog(nullptr, L"Working", L"", L"Marquee", L"", TDCBF_CANCEL_BUTTON,
                       TDF_SHOW_PROGRESS_BAR | TDF_SHOW_MARQUEE_PROGRESS_BAR);
    dialog.progressState = TRUE;
    dialog.progressPos = 30;
    DWORD style = 0;
    bool fired = false;
    const int result = ShowScripted(dialog, L"Marquee", [&](HWND window) {
        style = static_cast<DWORD>(GetWindowLongW(guitest::FindDescendant(window, PROGRESS_CLASSW, nullptr),
                                                  GWL_STYLE));
        guitest::ClickButton(window, L"Cancel");
    }, &fired);
    ASSERT_FALSE(fired);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(style & PBS_MARQUEE);
}

TEST(TaskDialog, AnErrorInAHandlerIsShownAndTheDialogGoesOn) {
    std::unique_ptr<RecordingDialog> dialog(MakeDeleteConfirmation(L"Card"));
    dialog->failOnButton = true;
    std::wstring shown;
    bool fired = false;
    const int result = ShowScripted(*dialog, L"Delete", [&](HWND window) {
        PostMessageW(guitest::FindDescendant(window, L"Button", L"Delete"), BM_CLICK, 0, 0);
        HWND box = guitest::WaitForTopWindow(L"Error", guitest::kDefaultTimeoutMs, L"#32770");
        shown = guitest::DescendantTexts(box);
        guitest::ClickButton(box, L"OK");
    }, &fired);
    ASSERT_FALSE(fired);
    EXPECT_NE(shown.find(L"The button handler broke."), std::wstring::npos);
    EXPECT_EQ(result, 100);
}

// Timer ticks and help requests reach the handlers of the window layer.
class TickingDialog : public QTaskDialog {
public:
    TickingDialog()
        : QTaskDialog(nullptr, L"Waiting", L"", L"Ticking", L"", TDCBF_OK_BUTTON, TDF_CALLBACK_TIMER) {}
    bool OnTimer(UINT_PTR milliseconds) override {
        elapsed = static_cast<int>(milliseconds);
        if (++ticks == 2) SendMessageW(GetHandle(), TDM_CLICK_BUTTON, IDOK, 0);
        return false;
    }
    bool OnHelp() override {
        ++helpRequests;
        return true;
    }
    int ticks = 0;
    int elapsed = 0;
    int helpRequests = 0;
};

TEST(TaskDialog, TimerAndHelpNotificationsReachTheirHandlers) {
    TickingDialog dialog;
    bool fired = false;
    const int result = ShowScripted(dialog, L"Ticking", [&](HWND window) {
        HELPINFO help = {};
        help.cbSize = sizeof(help);
        guitest::SendWithTimeout(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    }, &fired);
    ASSERT_FALSE(fired);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.ticks, 2);
    EXPECT_GT(dialog.elapsed, 0);
    EXPECT_EQ(dialog.helpRequests, 1);
}

TEST(TaskDialog, ShowReturnsMinusOneWhenTheDialogCannotBeShown) {
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    QTaskDialog dialog(gone, L"Content", L"", L"Nowhere", L"", TDCBF_OK_BUTTON, 0);
    guitest::ModalWatchdog watchdog;
    EXPECT_EQ(dialog.Show(), -1);
    EXPECT_FALSE(watchdog.Fired());
}

TEST(TaskDialogConfig, TheConfigurationFollowsTheFieldsWithItsRules) {
    HWND owner = reinterpret_cast<HWND>(0x4242);
    RecordingDialog plain(owner, L"c", L"m", L"t", L"", TDCBF_OK_BUTTON,
                          TDF_USE_COMMAND_LINKS | TDF_VERIFICATION_FLAG_CHECKED | TDF_USE_HICON_FOOTER);
    plain.footerIcon = LoadIconW(nullptr, IDI_APPLICATION);
    QTaskDialog::Config built;
    plain.BuildConfig(built);
    EXPECT_EQ(built.config.hwndParent, owner);
    EXPECT_EQ(built.config.dwFlags, static_cast<DWORD>(TDF_USE_HICON_FOOTER))
        << "command links without custom buttons and the check without verification text are dropped";
    EXPECT_EQ(built.config.pszVerificationText, nullptr);
    EXPECT_STREQ(built.config.pszFooter, L" ") << "a lone footer icon gets a blank footer";
    EXPECT_EQ(built.config.hFooterIcon, plain.footerIcon);
    EXPECT_EQ(built.config.pszExpandedInformation, nullptr);
    EXPECT_STREQ(built.config.pszContent, L"c");
    EXPECT_EQ(built.config.cButtons, 0u);

    RecordingDialog full(nullptr, L"c", L"m", L"t", L"f", 0,
                         TDF_USE_COMMAND_LINKS_NO_ICON | TDF_VERIFICATION_FLAG_CHECKED);
    full.verificationText = L"Again";
    full.AddButton(Button{100, L"Go", Button::ENABLED});
    full.AddRadioButton(Button{7, L"A", Button::ENABLED});
    full.AddRadioButton(Button{8, L"B", Button::ENABLED});
    full.BuildConfig(built);
    EXPECT_EQ(built.config.dwFlags, static_cast<DWORD>(TDF_USE_COMMAND_LINKS_NO_ICON | TDF_VERIFICATION_FLAG_CHECKED));
    EXPECT_STREQ(built.config.pszVerificationText, L"Again");
    EXPECT_STREQ(built.config.pszFooter, L"f");
    ASSERT_EQ(built.config.cButtons, 1u);
    EXPECT_EQ(built.config.pButtons[0].nButtonID, 100);
    EXPECT_STREQ(built.config.pButtons[0].pszButtonText, L"Go");
    ASSERT_EQ(built.config.cRadioButtons, 2u);
    EXPECT_EQ(built.config.pRadioButtons[1].nButtonID, 8);
    EXPECT_STREQ(built.config.pRadioButtons[1].pszButtonText, L"B");
}

TEST(TaskDialogConfig, CommonButtonsMapToIdsBothWays) {
    QTaskDialog dialog(nullptr, L"", L"", L"", L"", 0, 0);
    struct Pair {
        DWORD flag;
        int id;
    };
    const Pair pairs[] = {{TDCBF_OK_BUTTON, IDOK},         {TDCBF_YES_BUTTON, IDYES},
                          {TDCBF_NO_BUTTON, IDNO},         {TDCBF_CANCEL_BUTTON, IDCANCEL},
                          {TDCBF_RETRY_BUTTON, IDRETRY},   {TDCBF_CLOSE_BUTTON, IDCLOSE}};
    for (const Pair& pair : pairs) {
        EXPECT_EQ(dialog.CommonButtonToId(pair.flag), pair.id);
        EXPECT_EQ(dialog.IdToCommonButton(pair.id), pair.flag);
    }
    EXPECT_EQ(dialog.CommonButtonToId(TDCBF_OK_BUTTON | TDCBF_CANCEL_BUTTON), 0);
    EXPECT_EQ(dialog.CommonButtonToId(64), 0);
    EXPECT_EQ(dialog.IdToCommonButton(100), 0u);
    EXPECT_EQ(dialog.IdToCommonButton(IDABORT), 0u);
    EXPECT_EQ(dialog.CommonButtonCount(), 6);
}

}  // namespace
