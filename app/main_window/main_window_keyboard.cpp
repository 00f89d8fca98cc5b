// The window without a mouse: keys that open the menus, move the focus
// between panes and tabs, move cards, and keep the editor's keys to the
// editor. Everything here runs before the accelerators are translated.

#include <algorithm>
#include <vector>

#include "app/main_window/main_window.h"
#include "resources/command_ids.h"
#include "window/qmenu.h"


namespace {

bool KeyDown(int key) {
    return GetKeyState(key) < 0;
}

// The accelerators' commands that act on the editor's text: typed anywhere
// else, the key belongs to the control that has the focus (Ctrl+Z in the
// search box undoes its typing, Esc closes an open list).
bool IsEditorCommand(WORD command) {
    switch (command) {
    case IDA_BOLD:
    case IDA_ITALIC:
    case IDA_UNDERLINE:
    case IDA_UNDO:
    case IDA_REDO:
    case IDA_CODE_STYLE:
    case IDA_BULLET_LIST:
    case IDA_NUMBERED_LIST:
    case IDA_CTRL_L: return true;
    default: return false;
    }
}

// The command the accelerator table gives a key with the modifiers held now; 0 when none.
WORD AcceleratorCommand(HACCEL table, UINT key) {
    if (!table) return 0;
    const int count = CopyAcceleratorTableW(table, nullptr, 0);
    std::vector<ACCEL> entries(static_cast<size_t>(std::max(count, 0)));
    if (count <= 0 || CopyAcceleratorTableW(table, entries.data(), count) != count) return 0;
    const BYTE held = (KeyDown(VK_CONTROL) ? FCONTROL : 0) | (KeyDown(VK_SHIFT) ? FSHIFT : 0) |
                      (KeyDown(VK_MENU) ? FALT : 0);
    for (const ACCEL& entry : entries) {
        if ((entry.fVirt & FVIRTKEY) && entry.key == key && (entry.fVirt & (FCONTROL | FSHIFT | FALT)) == held) {
            return entry.cmd;
        }
    }
    return 0;
}

bool Contains(HWND outer, HWND inner) {
    return outer && inner && (outer == inner || IsChild(outer, inner));
}

}  // namespace

bool MainWindow::PreTranslateMessage(MSG* msg) {
    // The label being edited takes its own keys: Esc cancels, Del and the
    // editing keys change the text instead of running the program's commands.
    const HWND edit = cardTree.GetEditControl();
    if (edit && msg->hwnd == edit) return false;
    if (!Contains(handle, msg->hwnd)) return QMainFrame::PreTranslateMessage(msg);
    if (treeDragging && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
        CancelCardDrag();
        return true;
    }
    if (RunNavigationKey(*msg)) return true;
    if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
        const WORD command = AcceleratorCommand(accelerators, static_cast<UINT>(msg->wParam));
        if (command == IDA_ESCAPE) return false;
        if (IsEditorCommand(command) && GetFocus() != ActiveEditorControl()) return false;
    }
    return QMainFrame::PreTranslateMessage(msg);
}

HWND MainWindow::ActiveEditorControl() const {
    EditorPage* page = tabs.GetActiveEditor();
    return page && IsWindowVisible(tabs.GetHandle()) ? page->GetEditor().GetHandle() : nullptr;
}

bool MainWindow::RunNavigationKey(const MSG& msg) {
    const UINT key = static_cast<UINT>(msg.wParam);
    if (msg.message == WM_SYSKEYUP && key == VK_MENU) {
        // Alt pressed and let go with nothing between opens the main menu.
        const bool alone = altPressedAlone;
        altPressedAlone = false;
        if (!alone) return false;
        OpenMainMenu();
        return true;
    }
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (key == VK_MENU) {
        // A held key repeats: only the first press counts.
        if (!(msg.lParam & (1 << 30))) altPressedAlone = true;
        return false;
    }
    altPressedAlone = false;
    const bool control = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    const bool alt = KeyDown(VK_MENU);
    const HWND focus = GetFocus();
    switch (key) {
    case VK_F10:
        if (control || alt) return false;
        if (shift) return ShowContextMenuOfFocus();
        OpenMainMenu();
        return true;
    case VK_APPS: return !control && !alt && ShowContextMenuOfFocus();
    case VK_F6:
        if (control || alt) return false;
        CycleFocus(shift ? -1 : 1);
        return true;
    case VK_TAB:
        if (control && !alt) {
            SwitchTab(shift ? -1 : 1);
            return true;
        }
        if (!control && !alt && Contains(toolbar.GetHandle(), focus)) {
            CycleToolbarFocus(shift ? -1 : 1);
            return true;
        }
        return false;
    case VK_F4:
        if (!control || alt || shift) return false;
        CloseActiveTab();
        return true;
    case VK_RETURN:
        // Enter presses the toolbar's overflow button, as Space does.
        if (focus && focus == toolbar.GetOverflowButton() && !control && !alt && !shift) {
            SendMessageW(focus, BM_CLICK, 0, 0);
            return true;
        }
        if (focus != cardTree.GetHandle() || control || alt || shift) return false;
        if (const HWND editor = ActiveEditorControl()) SetFocus(editor);
        return true;
    case VK_LEFT:
    case VK_RIGHT:
        if (focus != cardTree.GetHandle() || !alt || !shift || control) return false;
        MoveSelectedCard(key == VK_LEFT);
        return true;
    default: return false;
    }
}

void MainWindow::OpenMainMenu() {
    kiln::qwin::QMenuResource menu(IDR_POPUP_MENUS);
    const HMENU popup = menu.Popup(POPUP_MAIN_BUTTON);
    if (!popup) return;
    RECT button = {};
    GetWindowRect(menuButton.GetHandle(), &button);
    const UINT command = prompts.ChooseFromMenu(handle, popup, POINT{button.left, button.bottom});
    if (command) SendMessageW(handle, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

// The menu the right button would open where the focus is: the tree's at
// its selected card, the editor's at the caret. Other controls keep the key.
bool MainWindow::ShowContextMenuOfFocus() {
    const HWND focus = GetFocus();
    if (focus && focus == cardTree.GetHandle()) {
        const HTREEITEM item = cardTree.GetSelectedItem();
        const RECT row = cardTree.GetItemScreenRect(item);
        POINT at = {row.left, row.bottom};
        if (IsRectEmpty(&row)) {
            at = POINT{0, 0};
            ClientToScreen(focus, &at);
        }
        ShowTreeMenu(item, at);
        return true;
    }
    EditorPage* page = tabs.GetActiveEditor();
    if (!page || focus != ActiveEditorControl()) return false;
    POINT caret = {0, 0};
    GetCaretPos(&caret);
    ClientToScreen(focus, &caret);
    kiln::qwin::QMenuResource menu(IDR_POPUP_MENUS);
    const HMENU popup = menu.Popup(POPUP_RICH);
    if (!popup) return true;
    const UINT command = prompts.ChooseFromMenu(handle, popup, caret);
    if (command) SendMessageW(page->GetHandle(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return true;
}

// Tree (or the search panel in its place), editor, search panel, toolbar:
// the panes F6 walks through, each only while it is shown.
void MainWindow::CycleFocus(int step) {
    std::vector<HWND> panes;
    if (IsWindowVisible(cardTree.GetHandle())) panes.push_back(cardTree.GetHandle());
    if (IsWindowVisible(welcomeBrowser.GetHandle())) {
        panes.push_back(welcomeBrowser.GetHandle());
    } else if (const HWND editor = ActiveEditorControl()) {
        panes.push_back(editor);
    }
    if (searchPanelShown) panes.push_back(searchPanel.GetHandle());
    // The toolbar's first stop: its font list, or its overflow button once
    // the list is out of sight.
    const std::vector<HWND> toolbarStops = toolbar.GetFocusStops();
    if (!toolbarStops.empty()) panes.push_back(toolbarStops.front());
    const HWND focus = GetFocus();
    const int count = static_cast<int>(panes.size());
    int current = -1;
    for (int i = 0; i < count; ++i) {
        const bool inToolbar = !toolbarStops.empty() && panes[i] == toolbarStops.front();
        if (Contains(inToolbar ? toolbar.GetHandle() : panes[i], focus)) current = i;
    }
    const int next = current < 0 ? 0 : (current + step + count) % count;
    SetFocus(panes[next]);
}

// The toolbar's lists and its overflow button, left to right, as Tab and
// Shift+Tab walk them.
void MainWindow::CycleToolbarFocus(int step) {
    const std::vector<HWND> stops = toolbar.GetFocusStops();
    if (stops.empty()) return;
    const HWND focus = GetFocus();
    const int count = static_cast<int>(stops.size());
    int current = -1;
    for (int i = 0; i < count; ++i) {
        if (Contains(stops[i], focus)) current = i;
    }
    SetFocus(stops[current < 0 ? 0 : (current + step + count) % count]);
}

void MainWindow::SwitchTab(int step) {
    const int count = static_cast<int>(tabs.GetTabCount());
    if (count < 2) return;
    tabs.Activate(static_cast<unsigned>((tabs.GetActiveIndex() + step + count) % count));
}

void MainWindow::CloseActiveTab() {
    const int active = tabs.GetActiveIndex();
    if (active >= 0) tabs.CloseTab(static_cast<unsigned>(active));
}

void MainWindow::RememberFocus() {
    const HWND focus = GetFocus();
    if (Contains(handle, focus) && focus != handle) focusBeforeDeactivation = focus;
}

// A child that went away or hid meanwhile gives its place to the tree, or
// to the editor while the tree is hidden.
bool MainWindow::RestoreFocus() {
    HWND target = focusBeforeDeactivation;
    if (!target || !IsWindow(target) || !IsChild(handle, target) || !IsWindowVisible(target)) {
        target = IsWindowVisible(cardTree.GetHandle()) ? cardTree.GetHandle() : ActiveEditorControl();
    }
    if (!target) return false;
    SetFocus(target);
    return true;
}
