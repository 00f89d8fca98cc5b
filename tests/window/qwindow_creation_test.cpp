#include <gtest/gtest.h>

#include <string>

#include "core/qerror.h"
#include "gui_harness.h"
#include "window/qedit.h"
#include "window/qwindow.h"

namespace {

using kiln::qstd::QError;
using kiln::qstd::QString;
using kiln::qwin::QEdit;
using kiln::qwin::QWindow;

// A window whose class name a test chooses.
class NamedWindow : public QWindow {
public:
    explicit NamedWindow(std::wstring name) : name(std::move(name)) {}
    const wchar_t* GetClassName() const override { return name.c_str(); }
    bool OnNcCreate() override {
        boundAtNcCreate = GetHandle() != nullptr &&
                          GetWindowLongPtrW(GetHandle(), GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this);
        return false;
    }
    bool OnCreate() override {
        ++created;
        return true;
    }
    std::wstring name;
    bool boundAtNcCreate = false;
    int created = 0;
};

// Creating a window of an invalid class shows "REG" and leaves no window.
void ExpectRegistrationErrorShown(QWindow& window) {
    std::wstring shown;
    const guitest::ModalOutcome outcome = guitest::DriveModal(
        [&] { return static_cast<INT_PTR>(window.Create(nullptr, 0, 0)); }, L"Error", [&](HWND box) {
            shown = guitest::DescendantTexts(box);
            guitest::ClickButton(box, L"OK");
        });
    EXPECT_TRUE(outcome.windowFound && outcome.inTime);
    EXPECT_EQ(outcome.result, TRUE);
    EXPECT_NE(shown.find(L"REG"), std::wstring::npos);
    EXPECT_EQ(window.GetHandle(), nullptr);
}

TEST(WindowCreation, InvalidClassNamesAreReportedAsRegistrationErrors) {
    const std::wstring names[] = {L"", std::wstring(256, L'A')};
    for (const std::wstring& name : names) {
        NamedWindow window(name);
        ExpectRegistrationErrorShown(window);
    }
}

TEST(WindowCreation, TheObjectIsBoundBeforeCreationMessages) {
    NamedWindow window(std::wstring(255, L'B'));
    ASSERT_TRUE(window.Create(nullptr, 0, 0));
    ASSERT_NE(window.GetHandle(), nullptr);
    EXPECT_TRUE(window.boundAtNcCreate);
    EXPECT_EQ(window.created, 1);
    // A second window of the registered class finds the class and creates.
    NamedWindow second(std::wstring(255, L'B'));
    ASSERT_TRUE(second.Create(nullptr, 0, 0));
    EXPECT_NE(second.GetHandle(), nullptr);
}

TEST(WindowCreation, DefaultStylesDependOnParentAndSign) {
    NamedWindow parent(L"VorlenTestStyleParent");
    ASSERT_TRUE(parent.Create(nullptr, 0, 0));
    struct Case {
        bool child;
        DWORD style;
        DWORD mustHave;
        DWORD mustLack;
    };
    const Case cases[] = {
        {false, 0, WS_OVERLAPPEDWINDOW, WS_CHILD},
        {true, 0, WS_CHILD | WS_VISIBLE, WS_CAPTION},
        {true, WS_BORDER, WS_CHILD | WS_VISIBLE | WS_BORDER, 0},
        // The top bit set: the style is taken as given.
        {false, WS_POPUP | WS_BORDER, WS_POPUP | WS_BORDER, WS_THICKFRAME | WS_SYSMENU},
    };
    for (const Case& c : cases) {
        NamedWindow window(L"VorlenTestStyle");
        ASSERT_TRUE(window.Create(c.child ? &parent : nullptr, 12, c.style));
        const DWORD style = static_cast<DWORD>(GetWindowLongW(window.GetHandle(), GWL_STYLE));
        EXPECT_EQ(style & c.mustHave, c.mustHave) << std::hex << c.style;
        EXPECT_EQ(style & c.mustLack, 0u) << std::hex << c.style;
        if (c.child) {
            EXPECT_EQ(GetDlgCtrlID(window.GetHandle()), 12);
        }
    }
}

class RefusingWindow : public QWindow {
public:
    const wchar_t* GetClassName() const override { return L"VorlenTestRefusing"; }
    bool PreCreateWindow(CREATESTRUCTW&) override { return false; }
};

TEST(WindowCreation, PreCreateWindowCanDecline) {
    RefusingWindow window;
    EXPECT_FALSE(window.Create(nullptr, 0, 0));
    EXPECT_EQ(window.GetHandle(), nullptr);
}

TEST(WindowCreation, CreateExLetsRegistrationErrorsReachTheCaller) {
    NamedWindow window(L"unused");
    const RECT rect = {0, 0, 10, 10};
    const std::wstring tooLong(300, L'C');
    try {
        window.CreateEx(0, tooLong.c_str(), L"", WS_POPUP, rect, nullptr, 0, GetModuleHandleW(nullptr));
        FAIL() << "no error";
    } catch (const QError& error) {
        EXPECT_STREQ(error.message.c_str(), L"REG");
    }
    EXPECT_EQ(window.GetHandle(), nullptr);
}

class AnsweringWindow : public QWindow {
public:
    bool OnUserMessage(UINT, WPARAM, LPARAM, LRESULT* result) override {
        *result = 5;
        return true;
    }
};

TEST(WindowCreation, CreateExGivesAWindowThatReachesItsObjectOnlyWhenSubclassed) {
    AnsweringWindow window;
    ASSERT_TRUE(window.CreateEx(0, L"VorlenTestCreateEx", L"explicit", WS_POPUP, RECT{1, 2, 31, 42}, nullptr, 0,
                                GetModuleHandleW(nullptr)));
    RECT rect;
    GetWindowRect(window.GetHandle(), &rect);
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.bottom, 42);
    EXPECT_EQ(SendMessageW(window.GetHandle(), WM_USER, 0, 0), 0);
    ASSERT_TRUE(window.Subclass());
    EXPECT_EQ(SendMessageW(window.GetHandle(), WM_USER, 0, 0), 5);
}

TEST(WindowCreation, TextRoundTrips) {
    NamedWindow window(L"VorlenTestText");
    ASSERT_TRUE(window.Create(nullptr, 0, 0));
    QString text(L"stale");
    ASSERT_TRUE(window.SetText(L""));
    EXPECT_TRUE(window.GetText(text));
    EXPECT_TRUE(text.IsEmpty());

    ASSERT_TRUE(window.SetText(L"Vorlen 2.0 x86  [C:\\cards.data]"));
    EXPECT_EQ(window.GetTextLength(), 31);
    EXPECT_TRUE(window.GetText(text));
    EXPECT_STREQ(text.c_str(), L"Vorlen 2.0 x86  [C:\\cards.data]");
}

TEST(WindowCreation, CenteringKeepsTheSizeAndCentresOnTheDesktop) {
    NamedWindow window(L"VorlenTestCentre");
    ASSERT_TRUE(window.Create(nullptr, 0, WS_POPUP));
    SetWindowPos(window.GetHandle(), nullptr, 3, 4, 300, 200, SWP_NOZORDER);
    window.CenterOnDesktop();
    RECT desktop, rect;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window.GetHandle(), &rect);
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_EQ(rect.bottom - rect.top, 200);
    EXPECT_EQ(rect.left, desktop.left + (desktop.right - desktop.left - 300) / 2);
    EXPECT_EQ(rect.top, desktop.top + (desktop.bottom - desktop.top - 200) / 2);
}

// A system edit control whose keys reach the object once it is subclassed.
class KeyEdit : public QEdit {
public:
    bool OnKeyDown(UINT key, UINT, LPARAM) override {
        lastKey = key;
        return key == VK_UP;  // Up is taken; every other key stays the edit's
    }
    bool OnNcDestroy() override {
        ++ncDestroyed;
        return false;
    }
    UINT lastKey = 0;
    int ncDestroyed = 0;
};

TEST(WindowSubclassing, ASubclassedSystemControlRoutesThroughItsObject) {
    NamedWindow parent(L"VorlenTestEditParent");
    ASSERT_TRUE(parent.Create(nullptr, 0, 0));
    KeyEdit edit;
    ASSERT_TRUE(edit.Create(parent.GetHandle(), RECT{5, 6, 105, 30}, 767, ES_AUTOHSCROLL));
    HWND handle = edit.GetHandle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GetDlgCtrlID(handle), 767);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(handle, GWL_STYLE));
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL);

    // Before subclassing the control's messages do not reach the object.
    SendMessageW(handle, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(edit.lastKey, 0u);

    ASSERT_TRUE(edit.Subclass());
    SendMessageW(handle, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(edit.lastKey, static_cast<UINT>(VK_DOWN));
    // What the object leaves alone still reaches the control.
    SetWindowTextW(handle, L"search");
    QString text;
    edit.GetText(text);
    EXPECT_STREQ(text.c_str(), L"search");

    DestroyWindow(handle);
    EXPECT_EQ(edit.ncDestroyed, 1);
    EXPECT_EQ(edit.GetHandle(), nullptr);
}

TEST(WindowSubclassing, AnEditCreatedThroughTheLibraryUsesTheSystemClass) {
    NamedWindow parent(L"VorlenTestEditParent2");
    ASSERT_TRUE(parent.Create(nullptr, 0, 0));
    QEdit edit;
    ASSERT_TRUE(edit.Create(&parent, 9, 0));
    ASSERT_NE(edit.GetHandle(), nullptr);
    wchar_t className[32] = {};
    GetClassNameW(edit.GetHandle(), className, 32);
    EXPECT_EQ(lstrcmpiW(className, L"Edit"), 0);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(edit.GetHandle(), GWL_STYLE));
    EXPECT_EQ(style & (ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL), ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL);
    EXPECT_TRUE(GetWindowLongW(edit.GetHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

}  // namespace
