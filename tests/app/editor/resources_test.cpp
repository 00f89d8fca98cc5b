// The shared menu and accelerator resources, and the editor's own menu at
// work.

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>

#include "editor_fixture.h"
#include "gui_harness.h"
#include "resources/command_ids.h"

namespace editortest {
namespace {

struct Item {
    const wchar_t* text;  // null for a separator
    UINT id;
};

void ExpectItems(HMENU menu, const std::vector<Item>& items) {
    ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        wchar_t text[64] = {};
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 64;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
        if (!items[i].text) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR);
            continue;
        }
        EXPECT_STREQ(text, items[i].text);
        EXPECT_EQ(info.wID, items[i].id);
    }
}

std::wstring PopupName(HMENU menu, int index) {
    wchar_t name[32] = {};
    GetMenuStringW(menu, index, name, 32, MF_BYPOSITION);
    return name;
}

TEST(ProgramMenus, MainAndTreePopupsListTheirCommandsInOrder) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUP_MENUS));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(PopupName(menu, POPUP_MAIN_BUTTON), L"MAINBUT_MENIU");
    EXPECT_EQ(PopupName(menu, POPUP_TREE), L"TREE");
    EXPECT_EQ(PopupName(menu, POPUP_RICH), L"RICH");
    ExpectItems(GetSubMenu(menu, POPUP_MAIN_BUTTON),
                {{L"&New\tCtrl+N", 32854}, {L"&Open\tCtrl+O", 32853}, {L"&Save\tCtrl+S", 32855},
                 {L"&Close", 32800}, {nullptr, 0}, {L"Set &Password\tCtrl+Shift+K", 32856},
                 {L"C&hange Password\tCtrl+Alt+K", 32858}, {L"&Remove Password", 32859}, {nullptr, 0},
                 {L"&Import", 32843}, {L"&Export", 32796}, {L"Expor&t branch...", 32890}, {L"Mo&ve to...\tCtrl+Shift+M", IDM_MOVE_TO}, {L"Bac&kups...", IDM_BACKUPS}, {nullptr, 0}, {L"&Associate extensions", 32876},
                 {nullptr, 0}, {L"He&lp", 32797}, {L"&Feedback", 32798}, {L"A&bout \t F1", 32799}, {nullptr, 0},
                 {L"E&xit", 32801}});
    ExpectItems(GetSubMenu(menu, POPUP_TREE),
                {{L"&Add Card", 32844}, {L"&Delete card", 32845}, {L"Delete A&ll Cards", 32846},
                 {L"Re&name\tF2", 32847}, {L"Mo&ve to...\tCtrl+Shift+M", IDM_MOVE_TO}, {nullptr, 0}, {L"&Open in new tab\tCtrl+LClick", 32852}, {nullptr, 0},
                 {L"&Export", 32861}, {L"Expor&t branch...", 32890}, {L"&Print branch...", 32891}});
    DestroyMenu(menu);
}

// The letters after '&' in one menu level; a repeated letter would leave
// the keyboard user choosing between items instead of running one.
void ExpectDistinctAccessKeys(HMENU menu, const std::wstring& where) {
    std::wstring keys;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        if (!text[0]) continue;
        const wchar_t* amp = wcschr(text, L'&');
        ASSERT_TRUE(amp && amp[1]) << "no access key: " << std::wstring(text) << " in " << where;
        const wchar_t key = towlower(amp[1]);
        EXPECT_EQ(keys.find(key), std::wstring::npos) << "repeated key " << key << " in " << where;
        keys += key;
        if (HMENU sub = GetSubMenu(menu, i)) ExpectDistinctAccessKeys(sub, text);
    }
}

TEST(ProgramMenus, EveryItemHasAnAccessKeyOfItsOwn) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUP_MENUS));
    ASSERT_NE(menu, nullptr);
    ExpectDistinctAccessKeys(GetSubMenu(menu, POPUP_MAIN_BUTTON), L"main menu");
    ExpectDistinctAccessKeys(GetSubMenu(menu, POPUP_TREE), L"tree menu");
    ExpectDistinctAccessKeys(GetSubMenu(menu, POPUP_RICH), L"editor menu");
    DestroyMenu(menu);
}

void CollectIds(HMENU menu, std::vector<UINT>& ids) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            CollectIds(sub, ids);
        } else if (GetMenuItemID(menu, i) != 0) {
            ids.push_back(GetMenuItemID(menu, i));
        }
    }
}

TEST(ProgramMenus, TheEditorPopupHoldsEveryEditingCommand) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUP_MENUS));
    ASSERT_NE(menu, nullptr);
    std::vector<UINT> ids;
    CollectIds(GetSubMenu(menu, POPUP_RICH), ids);
    DestroyMenu(menu);
    std::sort(ids.begin(), ids.end());
    const std::vector<UINT> expected = {32807, 32808, 32809, 32810, 32815, 32816, 32817, 32818, 32819, 32820,
                                        32821, 32822, 32823, 32824, 32825, 32826, 32827, 32828, 32851, 32871};
    EXPECT_EQ(ids, expected);
}

TEST(ProgramAccelerators, EveryKeyCarriesItsCommand) {
    HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    ACCEL keys[64] = {};
    const int count = CopyAcceleratorTableW(table, keys, 64);
    DestroyAcceleratorTable(table);
    const BYTE c = FVIRTKEY | FCONTROL;
    const ACCEL expected[] = {
        {FVIRTKEY, VK_ESCAPE, 32772},   {c, 'B', 32771},          {FVIRTKEY, VK_F3, 43346},
        {c, 'F', 32482},                {c, 'L', 32784},          {c, 'I', 32783},
        {c | FALT, 'K', 32858},         {c, 'N', 32785},          {c | FSHIFT, 'K', 32856},
        {c, 'O', 32787},                {c, 'P', 32817},          {c | FSHIFT, 'O', 23453},
        {FVIRTKEY, VK_DELETE, 32845},   {c, 'Y', 32789},          {FVIRTKEY, VK_F2, 32847},
        {c, 'S', 32792},                {c, 'R', 32791},          {c, 'U', 32793},
        {FVIRTKEY, VK_F1, 23424},       {c, 'Z', 32794},          {c | FSHIFT, 'L', 23454},
        {c, 'W', 32872},                {c | FSHIFT, 'M', IDM_MOVE_TO},
    };
    ASSERT_EQ(count, static_cast<int>(sizeof(expected) / sizeof(expected[0])));
    for (const ACCEL& key : expected) {
        SCOPED_TRACE(testing::Message() << key.cmd);
        bool found = false;
        for (int i = 0; i < count; ++i) {
            if ((keys[i].fVirt & ~FNOINVERT) == key.fVirt && keys[i].key == key.key && keys[i].cmd == key.cmd) {
                found = true;
            }
        }
        EXPECT_TRUE(found);
    }
}

BOOL CALLBACK MatchMenuWindow(HWND window, LPARAM out) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32768") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindMenuWindow() {
    HWND found = nullptr;
    EnumWindows(MatchMenuWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(EditorTest, TheRightButtonOpensTheEditorMenuAndRunsTheChosenCommand) {
    SetText(L"keep this");
    Select(4, 9);
    HWND menuWindow = nullptr;
    // Cut, Copy, Paste, Delete: the fourth item deletes the selection.
    guitest::ScriptThread script([&menuWindow] {
        guitest::WaitUntil([&menuWindow] { return (menuWindow = FindMenuWindow()) != nullptr; });
        if (!menuWindow) return;
        for (int i = 0; i < 4; ++i) PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
    });
    MSGFILTER filter = {};
    filter.nmhdr.hwndFrom = Edit();
    filter.nmhdr.idFrom = IDC_RICH_EDIT;
    filter.nmhdr.code = EN_MSGFILTER;
    filter.msg = WM_RBUTTONDOWN;
    filter.lParam = MAKELPARAM(10, 10);
    {
        guitest::ModalWatchdog watchdog;
        SendMessageW(page.GetHandle(), WM_NOTIFY, IDC_RICH_EDIT, reinterpret_cast<LPARAM>(&filter));
        EXPECT_FALSE(watchdog.Fired());
    }
    EXPECT_TRUE(script.Join());
    EXPECT_NE(menuWindow, nullptr);
    EXPECT_EQ(Text(), L"keep");
}

}  // namespace
}  // namespace editortest
