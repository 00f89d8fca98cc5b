// The one table from command identifiers to what the main window does.

#include <windowsx.h>

#include "app/settings/file_association.h"
#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "resources/command_ids.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {
const wchar_t* const kHelpAddress = L"https://vorlen.example/help/";
const wchar_t* const kFeedbackAddress = L"https://vorlen.example/feedback/";
}  // namespace

bool MainWindow::OnCommand(int id, int code, HWND control) {
    struct Route {
        int id;
        CommandHandler handler;
    };
    static const Route kRoutes[] = {
        {IDM_NEW_DATABASE, &MainWindow::CommandNew},
        {IDA_NEW_DATABASE, &MainWindow::CommandNew},
        {IDM_OPEN_DATABASE, &MainWindow::CommandOpen},
        {IDA_OPEN_DATABASE, &MainWindow::CommandOpen},
        {IDM_SAVE, &MainWindow::CommandSave},
        {IDA_SAVE, &MainWindow::CommandSave},
        {IDM_CLOSE_DATABASE, &MainWindow::CommandClose},
        {IDM_EXIT, &MainWindow::CommandExit},
        {IDM_HELP, &MainWindow::CommandHelp},
        {IDM_FEEDBACK, &MainWindow::CommandFeedback},
        {IDM_ABOUT, &MainWindow::CommandAbout},
        {IDA_ABOUT, &MainWindow::CommandAbout},
        {IDS_ABOUT, &MainWindow::CommandAbout},
        {IDC_SEARCH_PANEL, &MainWindow::CommandToggleSearchPanel},
        {IDB_CUT, &MainWindow::CommandForwardToPage},
        {IDB_COPY, &MainWindow::CommandForwardToPage},
        {IDB_PASTE, &MainWindow::CommandForwardToPage},
        {IDC_FONT_FACE, &MainWindow::CommandForwardToPage},
        {IDC_FONT_SIZE, &MainWindow::CommandForwardToPage},
        {IDC_LINE_SPACING, &MainWindow::CommandForwardToPage},
        // The toolbar's colour lists.
        {IDM_COLOR_RED, &MainWindow::CommandForwardToPage},
        {IDM_COLOR_MAGENTA, &MainWindow::CommandForwardToPage},
        {IDM_COLOR_BLUE, &MainWindow::CommandForwardToPage},
        {IDM_COLOR_BROWN, &MainWindow::CommandForwardToPage},
        {IDM_COLOR_GREY, &MainWindow::CommandForwardToPage},
        {IDM_COLOR_RESET, &MainWindow::CommandForwardToPage},
        {IDM_BACK_YELLOW, &MainWindow::CommandForwardToPage},
        {IDM_BACK_ORANGE, &MainWindow::CommandForwardToPage},
        {IDM_BACK_PINK, &MainWindow::CommandForwardToPage},
        {IDM_BACK_CYAN, &MainWindow::CommandForwardToPage},
        {IDM_BACK_VIOLET, &MainWindow::CommandForwardToPage},
        {IDM_BACK_RESET, &MainWindow::CommandForwardToPage},
        {IDC_RICH_EDIT, &MainWindow::CommandEditorChanged},
        {IDA_BOLD, &MainWindow::CommandEditorFormat},
        {IDA_ITALIC, &MainWindow::CommandEditorFormat},
        {IDA_UNDERLINE, &MainWindow::CommandEditorFormat},
        {IDA_UNDO, &MainWindow::CommandEditorFormat},
        {IDA_REDO, &MainWindow::CommandEditorFormat},
        {IDA_CODE_STYLE, &MainWindow::CommandEditorFormat},
        {IDA_BULLET_LIST, &MainWindow::CommandEditorFormat},
        {IDA_NUMBERED_LIST, &MainWindow::CommandEditorFormat},
        {IDA_WORD_WRAP, &MainWindow::CommandWordWrap},
        {IDM_ASSOCIATE_EXTENSIONS, &MainWindow::CommandAssociate},
        {IDB_PREV, &MainWindow::CommandPrev},
        {IDB_NEXT, &MainWindow::CommandNext},
        {IDC_SEARCH_BOX, &MainWindow::CommandSearchRun},
        {IDC_SEARCH_RESULTS, &MainWindow::CommandSearchResult},
        {IDA_FIND_NEXT, &MainWindow::CommandFindNext},
        {IDM_DELETE_CARD, &MainWindow::CommandDelete},
        {IDB_DELETE, &MainWindow::CommandDelete},
        {IDM_DELETE_ALL_CARDS, &MainWindow::CommandDeleteAll},
        {IDM_BACKUPS, &MainWindow::CommandBackups},
        {IDM_MOVE_TO, &MainWindow::CommandMoveTo},
        {IDS_MINIMIZE_TO_TRAY, &MainWindow::CommandHideToTray},
        {IDS_ALWAYS_ON_TOP, &MainWindow::CommandAlwaysOnTop},
        {IDM_ADD_CARD, &MainWindow::CommandAddCard},
        {IDM_RENAME, &MainWindow::CommandRename},
        {IDB_EDIT, &MainWindow::CommandRename},
        {IDM_OPEN_IN_NEW_TAB, &MainWindow::CommandOpenInNewTab},
        {IDC_TAB_CHANGED, &MainWindow::CommandTabChanged},
        {IDB_STYLE, &MainWindow::CommandTreeLines},
        {IDM_SET_PASSWORD, &MainWindow::CommandSetPassword},
        {IDM_CHANGE_PASSWORD, &MainWindow::CommandChangePassword},
        {IDM_REMOVE_PASSWORD, &MainWindow::CommandRemovePassword},
        {IDM_IMPORT, &MainWindow::CommandImport},
        {IDM_EXPORT, &MainWindow::CommandExport},
        {IDM_TREE_EXPORT, &MainWindow::CommandExport},
        {IDM_EXPORT_BRANCH, &MainWindow::CommandExportBranch},
        {IDM_PRINT, &MainWindow::CommandPrint},
        {IDM_PRINT_BRANCH, &MainWindow::CommandPrintBranch},
    };
    for (const Route& route : kRoutes) {
        if (route.id == id) {
            (this->*route.handler)(Command{id, code, control});
            break;
        }
    }
    return true;
}

bool MainWindow::OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT*) {
    switch (msg) {
    case kSearchFinishedMessage: OnSearchFinished(); return true;
    case kFileChangesMessage: OnFileChangesMessage(wParam != FALSE); return true;
    case kTrayMessage:
        OnTrayNotify(LOWORD(lParam), POINT{GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)});
        return true;
    default:
        if (msg != taskbarCreatedMessage) return false;
        OnTaskbarCreated();
        return true;
    }
}

void MainWindow::ShowMessage(const QString& text) {
    prompts.ShowMessage(handle, L"Message", text, 0);
}

void MainWindow::CommandNew(const Command&) {
    QString path;
    if (!prompts.AskSavePath(handle, SavePathKind::NewDatabase, path)) return;
    if (IsDatabaseOpen() && !CloseDatabase()) return;
    OpenDatabase(path, true);
}

void MainWindow::CommandOpen(const Command&) {
    QString path;
    if (!prompts.AskOpenPath(handle, OpenPathKind::OpenDatabase, path)) return;
    if (IsDatabaseOpen() && !CloseDatabase()) return;
    OpenDatabase(path, false);
}

void MainWindow::CommandSave(const Command&) {
    if (!IsDatabaseOpen()) {
        ShowMessage(L"Please open or create a new database!");
        return;
    }
    try {
        if (SaveCurrentCard()) SetStatusText(L"Data saved successfully!");
        // The other pages' edits go too: after Ctrl+S nothing waits.
        if (SaveEverything()) {
            statusBar.SetSaveState(L"Saved");
        } else {
            ShowMessage(lastSaveFailure);
        }
    } catch (const QError& error) {
        ShowSaveFailure(error);
        saveSchedule.Failed(GetTickCount());
        ArmSaveTimer();
        ShowMessage(error.message);
    }
}

void MainWindow::CommandClose(const Command&) {
    CloseDatabase();
}

void MainWindow::CommandExit(const Command&) {
    PostMessageW(handle, WM_CLOSE, 0, 0);
}

void MainWindow::CommandHelp(const Command&) {
    prompts.OpenInShell(kHelpAddress);
}

void MainWindow::CommandFeedback(const Command&) {
    prompts.OpenInShell(kFeedbackAddress);
}

void MainWindow::CommandAbout(const Command&) {
    prompts.ShowAbout(handle);
}

void MainWindow::CommandToggleSearchPanel(const Command&) {
    if (!RequireOpenDatabase()) return;
    if (!searchPanelShown) {
        try {
            SaveCurrentCard();
        } catch (const QError& error) {
            ShowMessage(error.message);
        }
        searchPanelShown = true;
        LayoutBody();
        ShowWindow(searchPanel.GetHandle(), SW_SHOW);
        SetFocus(searchPanel.GetHandle());
        ShowWindow(cardTree.GetHandle(), SW_HIDE);
        return;
    }
    ShowWindow(searchPanel.GetHandle(), SW_HIDE);
    ShowWindow(cardTree.GetHandle(), SW_SHOW);
    searchPanelShown = false;
    // The search keeps its text while the file is open: the next search is
    // answered without reading the file again.
    SetFocus(cardTree.GetHandle());
    // Selecting the item again saves a modified editor and shows its card.
    const HTREEITEM selected = cardTree.GetSelectedItem();
    cardTree.SelectItem(nullptr);
    cardTree.SelectItem(selected);
}

void MainWindow::CommandForwardToPage(const Command& command) {
    EditorPage* page = tabs.GetActiveEditor();
    if (!page) return;
    int pageCommand = command.id;
    switch (command.id) {
    case IDB_CUT: pageCommand = IDM_CUT; break;
    case IDB_COPY: pageCommand = IDM_COPY; break;
    case IDB_PASTE: pageCommand = IDM_PASTE; break;
    default: break;
    }
    // The combos' text travels where a control handle would.
    SendMessageW(page->GetHandle(), WM_COMMAND, MAKEWPARAM(pageCommand, 0), reinterpret_cast<LPARAM>(command.control));
    // A format changes no text: the page's own flag tells whether it changed.
    if (page->IsModified()) NoteEdit();
}

void MainWindow::CommandEditorChanged(const Command& command) {
    EditorPage* page = tabs.GetActiveEditor();
    if (!page) return;
    if (command.code == EN_CARD_TEXT_CHANGED) {
        page->GetEditor().SetModified(true);
        NoteEdit();
    }
    if (command.code == EN_CARD_CARET_MOVED) toolbar.ShowCaretFormat(page->GetCaretFormat());
}

void MainWindow::CommandEditorFormat(const Command& command) {
    EditorPage* page = tabs.GetActiveEditor();
    if (!page) return;
    kiln::qwin::QRichEdit& editor = page->GetEditor();
    switch (command.id) {
    case IDA_BOLD: editor.ToggleBold(); break;
    case IDA_ITALIC: editor.ToggleItalic(); break;
    case IDA_UNDERLINE: editor.ToggleUnderline(); break;
    case IDA_UNDO: SendMessageW(editor.GetHandle(), EM_UNDO, 0, 0); break;
    case IDA_REDO: SendMessageW(editor.GetHandle(), EM_REDO, 0, 0); break;
    case IDA_CODE_STYLE: page->SetCodeStyle(); break;
    case IDA_BULLET_LIST: editor.ToggleBullets(); break;
    case IDA_NUMBERED_LIST: editor.ToggleNumbering(); break;
    default: break;
    }
    if (page->IsModified()) NoteEdit();
}

void MainWindow::CommandAssociate(const Command&) {
    const AssociateOutcome outcome = RunAssociateCommand(ProgramPath(), [this](const QString& currentOwner) {
        return prompts.AskTakeOverDataFiles(GetHandle(), currentOwner);
    });
    if (outcome == AssociateOutcome::Failed) ShowMessage(L"Card files could not be associated with Vorlen.");
}

// Only the current page changes; the other open editors keep their wrapping.
void MainWindow::CommandWordWrap(const Command&) {
    settings.wordWrap = !settings.wordWrap;
    if (EditorPage* page = tabs.GetActiveEditor()) page->SetWordWrap(settings.wordWrap);
}

void MainWindow::CommandPrev(const Command&) {
    if (const CardId cardId = settings.history.Prev()) SelectCard(cardId);
}

void MainWindow::CommandNext(const Command&) {
    if (const CardId cardId = settings.history.Next()) SelectCard(cardId);
}
