// The main window as a screen reader reads it: each self-drawn window
// answers WM_GETOBJECT, and its parts are named children. Read in this
// process through the window's own answer (ObjectFromLresult), the way the
// accessibility runtime hands it to a reader.

#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

#include "app/editor/text_colors.h"
#include "gui_harness.h"
#include "main_window_fixture.h"
#include "resources/command_ids.h"

namespace apptest {
namespace {

struct ReleaseCom {
    void operator()(IUnknown* object) const { object->Release(); }
};
using Accessible = std::unique_ptr<IAccessible, ReleaseCom>;

Accessible AccessibleOf(HWND window) {
    const LRESULT answer = SendMessageW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    if (answer <= 0) return nullptr;
    IAccessible* object = nullptr;
    if (FAILED(ObjectFromLresult(answer, __uuidof(IAccessible), 0, reinterpret_cast<void**>(&object)))) return nullptr;
    return Accessible(object);
}

VARIANT Child(long id) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

std::wstring NameOf(IAccessible& object, long id) {
    BSTR name = nullptr;
    if (object.get_accName(Child(id), &name) != S_OK || !name) return L"";
    std::wstring text(name);
    SysFreeString(name);
    return text;
}

long RoleOf(IAccessible& object, long id) {
    VARIANT role;
    VariantInit(&role);
    return object.get_accRole(Child(id), &role) == S_OK && role.vt == VT_I4 ? role.lVal : 0;
}

long StateOf(IAccessible& object, long id) {
    VARIANT state;
    VariantInit(&state);
    return object.get_accState(Child(id), &state) == S_OK && state.vt == VT_I4 ? state.lVal : 0;
}

long ChildCount(IAccessible& object) {
    long count = -1;
    object.get_accChildCount(&count);
    return count;
}

class AccessibleTest : public MainWindowTest {};

TEST_F(AccessibleTest, EverySelfDrawnWindowHasANamedRoleAndNamedParts) {
    CardFile cards(L"vorlen-accessible-walk.data");
    Start(cards.Path());
    Command(IDC_SEARCH_PANEL);
    const FormatToolbar& toolbar = window->GetToolbar();
    std::vector<std::wstring> toolbarNames;
    for (int i = 0; i < FormatToolbar::kButtonCount; ++i) toolbarNames.push_back(toolbar.GetButton(i).tooltip);
    const struct {
        const char* name;
        HWND window;
        long role;
        std::vector<std::wstring> parts;
        long partRole;
    } cases[] = {
        {"caption", window->GetCaptionBar().GetHandle(), ROLE_SYSTEM_TITLEBAR, {L"Minimize", L"Maximize", L"Close"},
         ROLE_SYSTEM_PUSHBUTTON},
        {"menu button", window->GetMenuButton().GetHandle(), ROLE_SYSTEM_BUTTONMENU, {}, 0},
        {"toolbar", toolbar.GetHandle(), ROLE_SYSTEM_TOOLBAR, toolbarNames, ROLE_SYSTEM_PUSHBUTTON},
        {"search panel", window->GetSearchPanel().GetHandle(), ROLE_SYSTEM_PANE, {L"Close search"},
         ROLE_SYSTEM_PUSHBUTTON},
        {"status line", window->GetStatusBar().GetHandle(), ROLE_SYSTEM_STATUSBAR, {}, 0},
        {"tabs", window->GetTabs().GetHandle(), ROLE_SYSTEM_PAGETABLIST, {L"Projects"}, ROLE_SYSTEM_PAGETAB},
        {"welcome page", window->GetWelcomeBrowser().GetNativePage().GetHandle(), ROLE_SYSTEM_DOCUMENT,
         {L"", L""}, ROLE_SYSTEM_LINK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.window, nullptr);
        Accessible object = AccessibleOf(c.window);
        ASSERT_TRUE(object);
        EXPECT_EQ(RoleOf(*object, CHILDID_SELF), c.role);
        // The tab strip, the caption and the welcome page keep the system's name (their window text).
        if (c.role != ROLE_SYSTEM_PAGETABLIST && c.role != ROLE_SYSTEM_TITLEBAR && c.role != ROLE_SYSTEM_DOCUMENT) {
            EXPECT_FALSE(NameOf(*object, CHILDID_SELF).empty());
        }
        ASSERT_EQ(ChildCount(*object), static_cast<long>(c.parts.size()));
        for (size_t i = 0; i < c.parts.size(); ++i) {
            const long id = static_cast<long>(i) + 1;
            const std::wstring name = NameOf(*object, id);
            EXPECT_FALSE(name.empty()) << i;
            if (!c.parts[i].empty()) {
                EXPECT_EQ(name, c.parts[i]) << i;
            }
            EXPECT_EQ(RoleOf(*object, id), c.partRole) << i;
        }
        // Past the last part there is nothing.
        BSTR none = nullptr;
        EXPECT_EQ(object->get_accName(Child(static_cast<long>(c.parts.size()) + 1), &none), E_INVALIDARG);
    }
}

TEST_F(AccessibleTest, TabsAreChildrenWithTheActiveOneSelectedAndSwitchedByTheirAction) {
    CardFile cards(L"vorlen-accessible-tabs.data");
    Start(cards.Path());
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.projects)));
    HoldControl(true);
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.journal)));
    HoldControl(false);
    Accessible tabs = AccessibleOf(window->GetTabs().GetHandle());
    ASSERT_TRUE(tabs);
    ASSERT_EQ(ChildCount(*tabs), 2);
    EXPECT_EQ(NameOf(*tabs, 1), L"Projects");
    EXPECT_EQ(NameOf(*tabs, 2), L"Journal");
    EXPECT_FALSE(StateOf(*tabs, 1) & STATE_SYSTEM_SELECTED);
    EXPECT_TRUE(StateOf(*tabs, 2) & STATE_SYSTEM_SELECTED);

    // Where a reader says the tab is, a click would find it.
    long x = 0, y = 0, cx = 0, cy = 0;
    ASSERT_EQ(tabs->accLocation(&x, &y, &cx, &cy, Child(1)), S_OK);
    RECT first = window->GetTabs().GetTab(0).rect;
    MapWindowPoints(window->GetTabs().GetHandle(), nullptr, reinterpret_cast<POINT*>(&first), 2);
    EXPECT_EQ(x, first.left);
    EXPECT_EQ(y, first.top);
    EXPECT_EQ(cx, first.right - first.left);
    VARIANT hit;
    VariantInit(&hit);
    ASSERT_EQ(tabs->accHitTest(x + cx / 2, y + cy / 2, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, 1);

    ASSERT_EQ(tabs->accDoDefaultAction(Child(1)), S_OK);
    EXPECT_EQ(window->GetTabs().GetActiveIndex(), 0);
    EXPECT_TRUE(StateOf(*tabs, 1) & STATE_SYSTEM_SELECTED);
    EXPECT_EQ(tree.GetCardId(tree.GetSelectedItem()), cards.projects);

    // A reader that holds the object after the window went gets an error, not a crash.
    window.reset();
    guitest::DrainQuit();
    long count = 0;
    EXPECT_EQ(tabs->get_accChildCount(&count), RPC_E_DISCONNECTED);
}

// Callbacks are stdcall functions on 32-bit Windows: a lambda does not convert.
HWND nameChanged = nullptr;

void CALLBACK HearNameChange(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) nameChanged = hwnd;
}

INT_PTR CALLBACK DoNothingDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

TEST_F(AccessibleTest, TheStatusLineIsNamedByItsTextAndAnnouncesEachChange) {
    Start();
    const HWND status = window->GetStatusBar().GetHandle();
    nameChanged = nullptr;
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                               HearNameChange, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    window->SetStatusText(L"Data saved successfully!");
    guitest::PumpUntil([status] { return nameChanged == status; });
    UnhookWinEvent(hook);
    EXPECT_EQ(nameChanged, status);
    Accessible object = AccessibleOf(status);
    ASSERT_TRUE(object);
    EXPECT_NE(NameOf(*object, CHILDID_SELF).find(L"Data saved successfully!"), std::wstring::npos);
}

TEST_F(AccessibleTest, CaptionButtonsRunTheirActions) {
    Start();
    Accessible caption = AccessibleOf(window->GetCaptionBar().GetHandle());
    ASSERT_TRUE(caption);
    ASSERT_EQ(caption->accDoDefaultAction(Child(CaptionBar::Maximise + 1)), S_OK);
    EXPECT_TRUE(IsZoomed(window->GetHandle()));
    EXPECT_EQ(NameOf(*caption, CaptionBar::Maximise + 1), L"Restore");
    ASSERT_EQ(caption->accDoDefaultAction(Child(CaptionBar::Maximise + 1)), S_OK);
    EXPECT_FALSE(IsZoomed(window->GetHandle()));
}

TEST_F(AccessibleTest, ColourListsCarryTheTextOfEachItem) {
    Start();
    const HWND colours = window->GetToolbar().GetCombo(FormatToolbar::kTextColorCombo);
    ASSERT_EQ(SendMessageW(colours, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(sizeof(kTextColors) / sizeof(kTextColors[0])));
    for (size_t i = 0; i < sizeof(kTextColors) / sizeof(kTextColors[0]); ++i) {
        wchar_t text[64] = {};
        ASSERT_GT(SendMessageW(colours, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text)), 0) << i;
        EXPECT_STREQ(text, kTextColors[i].name);
        EXPECT_EQ(SendMessageW(colours, CB_GETITEMDATA, i, 0), kTextColors[i].id);
    }
}

// A box takes its name from the label just before it in the tab order.
TEST(PasswordDialogs, EveryBoxComesAfterTheLabelThatNamesIt) {
    const struct {
        int dialog;
        std::vector<int> boxes;
    } cases[] = {
        {IDD_ENTER_PASSWORD, {IDC_PASSWORD}},
        {IDD_SET_PASSWORD, {IDC_SET_PASSWORD, IDC_SET_REPEAT_PASSWORD}},
        {IDD_CHANGE_PASSWORD, {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_REPEAT_NEW_PASSWORD}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dialog);
        const HWND dialog = CreateDialogParamW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(c.dialog), nullptr,
            DoNothingDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        for (int id : c.boxes) {
            const HWND label = GetWindow(GetDlgItem(dialog, id), GW_HWNDPREV);
            ASSERT_NE(label, nullptr) << id;
            wchar_t className[16] = {}, text[64] = {};
            GetClassNameW(label, className, 16);
            GetWindowTextW(label, text, 64);
            EXPECT_STREQ(className, L"Static") << id;
            EXPECT_NE(wcschr(text, L':'), nullptr) << id << " follows " << std::wstring(text).c_str();
        }
        DestroyWindow(dialog);
    }
}

}  // namespace
}  // namespace apptest
