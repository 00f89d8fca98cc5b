#pragma once

#include <windows.h>
#include <shellapi.h>

#include "app/editor/format_toolbar.h"
#include "app/editor/tab_container.h"
#include "app/frame/caption_bar.h"
#include "app/frame/main_layout.h"
#include "app/frame/menu_button.h"
#include "app/frame/splitter.h"
#include "app/frame/status_bar.h"
#include "app/main_window/background_backup.h"
#include "app/main_window/save_schedule.h"
#include "app/prompts/user_prompts.h"
#include "app/search/search_panel.h"
#include "app/settings/app_settings.h"
#include "app/tree/card_tree_view.h"
#include "app/welcome/welcome_browser.h"
#include "core/qarray.h"
#include "core/qerror.h"
#include "core/qstring.h"
#include "documents/rich_print.h"
#include "store/backup/database_backup.h"
#include "store/background_search.h"
#include "store/card_database.h"
#include "store/guarded_save.h"
#include "window/qmainframe.h"

// The program's one top-level window: a self-drawn frame around the card
// tree, the editor tabs, the toolbar and the status line. It owns every
// child window and the open card database. Its definitions are spread over
// main_window_<concern>.cpp files, named beside each member below.
class MainWindow : public kiln::qwin::QMainFrame {
public:
    // prompts shows everything modal; startupPath is the database named on
    // the command line (empty when none was); the settings are read from
    // settingsPath now and written there on close.
    MainWindow(UserPrompts& prompts, const kiln::qstd::QString& startupPath,
               const kiln::qstd::QString& settingsPath);
    ~MainWindow() override;

    // --- main_window.cpp: start-up and shutdown --------------------------------
    const wchar_t* GetClassName() const override;
    bool PreRegisterClass(WNDCLASSW& windowClass) override;
    bool PreCreateWindow(CREATESTRUCTW& create) override;
    bool OnCreate() override;
    bool OnClose() override;
    bool OnDestroy() override;

    // --- main_window_saving.cpp: saving that never depends on the user ---------
    // Every modified page is saved; true when nothing is left unsaved. Never
    // asks: a failure stays on the status line and is tried again later.
    bool SaveEverything();
    // Says once, after a start, that the run before ended abnormally and
    // left a report in folder; offers to open the folder.
    void OfferCrashReport(const kiln::qstd::QString& folder);
    bool HasUnsavedPages();
    bool IsReadOnly() const { return readOnly; }
    bool OnTimer(UINT_PTR id) override;
    // The timer that looks for changes other programs made to the file.
    static const UINT_PTR kFileChangeTimer = 0xC4A6;
    bool OnQueryEndSession(LPARAM reason) override;
    bool OnEndSession(bool ending, LPARAM reason) override;

    // --- main_window_commands.cpp: the one table of commands -------------------
    bool OnCommand(int id, int code, HWND control) override;
    bool OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // --- main_window_tray.cpp: tray, hot key, window menu, always on top -------
    bool OnSysCommand(UINT command, LPARAM lParam) override;
    bool OnHotKey(int id, UINT modifiers, UINT key) override;

    // --- main_window_second_start.cpp: a later start hands over ---------------
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Back from the tray or from being minimised, in the foreground.
    void ComeBack();
    // What a later start was given: the window comes back and opens the file
    // (none: only comes back); the file open already just comes forward.
    void TakeOverStart(const kiln::qstd::QString& path);
    // The tray icon's events (version 4 of the notification protocol).
    static const UINT kTrayMessage = WM_USER + 20;
    // The tray icon's menu.
    static const UINT kTrayShowCommand = 1;
    static const UINT kTrayExitCommand = 2;
    bool IsIconInTray() const { return iconInTray; }
    bool IsSearchRunning() const { return search.IsRunning(); }
    bool IsAlwaysOnTop() const { return alwaysOnTop; }
    bool HasHotKey() const { return hotKeyRegistered; }

    // --- main_window_tree.cpp: the card tree's notifications -------------------
    bool OnNotify(int controlId, NMHDR* header, LRESULT* result) override;
    // Fills the tree with the top level; deeper levels come as branches open.
    void FillCardTree();
    // The card's item, made (with the items of its ancestors' levels) when it
    // is not one yet; TVI_ROOT when the tree does not show the card.
    HTREEITEM RevealCard(CardId cardId);

    // --- main_window_refresh.cpp: changes made elsewhere show up -------------
    // Posted to look for changes (wParam FALSE: when the window was
    // activated) or to refresh at once (TRUE: after a save made a card).
    static const UINT kFileChangesMessage = WM_APP + 37;
    // Looks at the file's change counter; on a change, RefreshFromFile.
    void CheckForChanges();
    // The tree (branches, selection and scroll kept), the titles of the tabs
    // and the pages without unsaved edits, as the file has them now.
    void RefreshFromFile();

    // --- main_window_keyboard.cpp: menus, panes, tabs and moves by key ------
    bool PreTranslateMessage(MSG* msg) override;
    // The main menu under its button, as F10 or Alt alone opens it.
    void OpenMainMenu();

    // --- main_window_drop.cpp: files dropped outside the editors -------------
    // A .data file replaces the open database (the files after it are not
    // looked at); documents become new top-level cards. False when a
    // database was wanted and none is open, or the dropped one did not open.
    bool OnDropFiles(HDROP drop) override;

    // --- main_window_layout.cpp: children's places and the splitter -----------
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnGetMinMaxInfo(MINMAXINFO* info) override;
    bool OnLButtonDown(UINT keys, POINT* point) override;
    bool OnLButtonUp(UINT keys, POINT* point) override;
    bool OnLButtonDblClk(UINT keys, POINT* point) override;
    bool OnMouseMove(UINT keys, POINT* point) override;
    // Another window took the pointer (Alt+Tab, a message box) mid-drag.
    bool OnCaptureChanged() override;
    // Moved to a monitor of another scale: everything is made again at the
    // new scale and the window goes where the system suggests.
    bool OnDpiChanged(int dpiX, int dpiY, const RECT* suggested) override;
    // Created on a monitor whose scale is not the one measured at start-up.
    void FollowMonitorScale();

    // --- main_window_frame.cpp: the self-drawn frame ---------------------------
    bool OnEraseBackground(kiln::qwin::QGraphics& graphics) override;
    bool OnPaint(kiln::qwin::QPaintGraphics& graphics) override;
    bool OnActivateApp(bool active, DWORD thread) override;
    bool OnActivate(HWND otherWindow, UINT state, bool minimised) override;
    bool OnMouseActivate(HWND topWindow, UINT hitCode, UINT mouseMessage, LRESULT* result) override;
    bool OnNcCalcSize(bool calcValidRects, NCCALCSIZE_PARAMS* params) override;
    bool OnNcHitTest(POINT* point, LRESULT* result) override;
    // High contrast went on or off, or the user chose other colours.
    bool OnSysColorChange() override;

    // --- main_window_database.cpp: opening, closing, saving --------------------
    // true when the database is open and shown. A failure is shown to the
    // user and leaves the window without a database.
    bool OpenDatabase(const kiln::qstd::QString& path, bool create);
    // true once the database is closed; false when none was open or the
    // card being edited could not be saved (the database then stays open).
    bool CloseDatabase();
    // Writes the current editor into the card its tab shows, if modified;
    // true when it wrote.
    bool SaveCurrentCard();
    bool IsDatabaseOpen() const { return !databasePath.IsEmpty(); }
    // True when a database is open; otherwise tells the user to open one.
    bool RequireOpenDatabase();
    // True when a database is open and can be written; otherwise says why not.
    bool RequireWritableDatabase();
    const kiln::qstd::QString& GetDatabasePath() const { return databasePath; }

    // --- main_window_import.cpp: another card database copied in --------------
    // Copies the cards of the database at path under a new "Import" card.
    // false when the source's password prompt was cancelled, true otherwise
    // (also after a failure, which is shown and changes nothing).
    bool ImportDatabase(const kiln::qstd::QString& path);

    // --- main_window_layout.cpp ------------------------------------------------
    void SetStatusText(const kiln::qstd::QString& message);
    int GetTreeWidth() const { return treeWidth; }
    // Where the children go for the current client size.
    MainLayout CurrentLayout() const;

    // The children, for the commands of other files and for tests.
    const CaptionBar& GetCaptionBar() const { return captionBar; }
    const StatusBar& GetStatusBar() const { return statusBar; }
    CardTreeView& GetCardTree() { return cardTree; }
    TabContainer& GetTabs() { return tabs; }
    const MainMenuButton& GetMenuButton() const { return menuButton; }
    const FormatToolbar& GetToolbar() const { return toolbar; }
    FormatToolbar& GetToolbar() { return toolbar; }
    const Splitter& GetSplitter() const { return splitter; }
    const SearchPanel& GetSearchPanel() const { return searchPanel; }
    bool IsSearchPanelShown() const { return searchPanelShown; }
    // Posted by the search thread when a search has finished.
    static const UINT kSearchFinishedMessage = WM_APP + 20;
    const WelcomeBrowser& GetWelcomeBrowser() const { return welcomeBrowser; }
    const AppSettings& GetSettings() const { return settings; }

private:
    // main_window.cpp
    void CreateChildren();
    // main_window_layout.cpp
    void ArrangeToolbarAtScale();
    void ApplyDisplayScale();
    void LayoutChildren();
    void LayoutBody();
    // main_window_database.cpp
    void ShowWelcomeState();
    void ShowDatabaseState();
    void LoadCardIntoActiveTab(CardId cardId, const kiln::qstd::QString& title);
    void SelectFirstCard();
    // main_window_saving.cpp
    void NoteEdit();
    void ArmSaveTimer();
    void ShowSaveFailure(const kiln::qstd::QError& failure);
    // Saves the page of tab index; when that fails, asks whether to retry,
    // save the page to a file or discard its edits. False when the user
    // chose to stay (the edits are then still in the page).
    bool SettlePage(unsigned index);
    bool SettleAllPages();
    bool SavePageToFile(EditorPage& page);
    void SaveSettings();
    void RegisterRestart();
    // The pages take typing only where it can be saved: a card is shown and
    // the file is writable.
    void ApplyPageWritability(EditorPage& page, CardId shownCard);
    // main_window_refresh.cpp
    void WatchFileChanges();
    void RefreshTabs();
    void RefreshTree();
    // The page of tab index was saved as a new card: the tab shows it, and
    // the status line and a notice say why.
    void KeepConflictingVersion(unsigned index, const store::GuardedSave& saved);
    void OnFileChangesMessage(bool refreshNow);
    // main_window_password.cpp
    // Asks for the password and opens the file under it; false when cancelled.
    bool OpenEncipheredDatabase(const kiln::qstd::QString& path);
    // The status line says whether and how the open database is protected.
    void ShowKeyFormat();
    // Re-enciphers the open database under password (plain when empty) behind
    // a progress dialog captioned as the command; false after a failure, which
    // is shown, or a cancel.
    bool Rekey(const kiln::qstd::QString& caption, const kiln::qstd::QString& password, CipherFormat format);
    // Long work on the window's connection, on a thread of its own behind a
    // progress dialog; the window keeps off the connection meanwhile.
    void RunOnDatabase(const kiln::qstd::QString& caption, const ProgressWork& work);
    // main_window_tree.cpp
    void SelectCard(CardId cardId);
    void ShowSelectedCard();
    void LoadChildCards(HTREEITEM item);
    void FinishCardRename(const NMTVDISPINFOW& info);
    void ShowTreeMenuAtPointer();
    // The tree's menu at a screen point; its card commands act on item (none: greyed).
    void ShowTreeMenu(HTREEITEM item, POINT screen);
    // main_window_keyboard.cpp
    // The rich edit of the active tab while the tabs are shown; null otherwise.
    HWND ActiveEditorControl() const;
    bool RunNavigationKey(const MSG& msg);
    bool ShowContextMenuOfFocus();
    void CycleFocus(int step);
    void CycleToolbarFocus(int step);
    void SwitchTab(int step);
    void CloseActiveTab();
    void RememberFocus();
    // false when no child could take the focus.
    bool RestoreFocus();
    // main_window_drag.cpp
    void BeginCardDrag(const NMTREEVIEWW& info);
    void DragCardTo(POINT clientPoint);
    void DropCard();
    // Esc while dragging: the card stays where it was.
    void CancelCardDrag();
    void EndCardDrag();
    // target TVI_ROOT: the top level, which only the keys and "Move to" name.
    void MoveDraggedCard(HTREEITEM target, HTREEITEM dragged);
    // main_window_move.cpp: moving a card without the mouse.
    void MoveSelectedCard(bool outward);
    void MoveCardAndSelectIt(HTREEITEM target, HTREEITEM item);
    // main_window_drop.cpp: false when the database failed, which ends the drop.
    bool AddCardFromFile(const kiln::qstd::QString& path);
    bool AddBranchFromFolder(const kiln::qstd::QString& folder);
    // main_window_tabs.cpp: each page is saved to the card its own tab shows.
    bool SaveTab(unsigned index);
    void CloseAllTabsButOne();
    void SaveModifiedTabs();
    bool SaveTabBeforeClose(unsigned index);
    bool OpenCardInNewTab(CardId cardId, const kiln::qstd::QString& title);
    // Tabs of cards that were deleted close without saving; the last tab,
    // which cannot close, is left showing no card. Without ids, every card's.
    void CloseTabsOfDeletedCards(const kiln::qstd::QArray<CardId>* deleted);
    // main_window_frame.cpp
    void UpdateCaption();
    // main_window_commands.cpp
    struct Command {
        int id;
        int code;
        HWND control;
    };
    using CommandHandler = void (MainWindow::*)(const Command& command);
    void CommandNew(const Command& command);
    void CommandOpen(const Command& command);
    void CommandSave(const Command& command);
    void CommandClose(const Command& command);
    void CommandExit(const Command& command);
    void CommandHelp(const Command& command);
    void CommandFeedback(const Command& command);
    void CommandAbout(const Command& command);
    void CommandToggleSearchPanel(const Command& command);
    void CommandForwardToPage(const Command& command);
    void CommandEditorChanged(const Command& command);
    void CommandEditorFormat(const Command& command);
    void CommandAssociate(const Command& command);
    void CommandWordWrap(const Command& command);
    void CommandPrev(const Command& command);
    void CommandNext(const Command& command);
    void CommandAddCard(const Command& command);
    void CommandRename(const Command& command);
    void CommandOpenInNewTab(const Command& command);
    void CommandTabChanged(const Command& command);
    void CommandTreeLines(const Command& command);
    // main_window_password.cpp
    void CommandSetPassword(const Command& command);
    void CommandChangePassword(const Command& command);
    void CommandRemovePassword(const Command& command);
    void ShowMessage(const kiln::qstd::QString& text);
    static constexpr const wchar_t* kPasswordChangedElsewhere = L"The file's password was changed by another program";
    static bool IsPasswordChangedElsewhere(const kiln::qstd::QError& error);
    // Tells the user, asks for the new password and opens the file again
    // under it; the pages keep their edits and are saved then. False when the
    // user gave no password that opens the file.
    bool ReopenAfterPasswordChange();
    // main_window_cards.cpp
    void CommandDelete(const Command& command);
    void DeleteCardOfTree();
    void CommandDeleteAll(const Command& command);
    // main_window_tray.cpp
    void SetUpTrayAndWindowMenu();
    void TearDownTray();
    void RemoveTrayIcon();
    void AddTrayIcon();
    void OnTrayNotify(UINT event, POINT anchor);
    void OnTaskbarCreated();
    void ShowFromTray();
    void CommandHideToTray(const Command& command);
    void CommandAlwaysOnTop(const Command& command);
    // main_window_search.cpp
    void CommandSearchRun(const Command& command);
    void CommandSearchResult(const Command& command);
    void CommandFindNext(const Command& command);
    void OnSearchFinished();
    void StartSearching();
    void EndSearching();
    void SearchAgain();
    void ShowSearchResult();
    // main_window_import.cpp
    void CommandImport(const Command& command);
    void ShowImportedCards(const CardTree& cards);
    // main_window_export.cpp
    void CommandExport(const Command& command);
    void CommandExportBranch(const Command& command);
    // main_window_print.cpp
    void CommandPrint(const Command& command);
    void CommandPrintBranch(const Command& command);
    // main_window_backups.cpp: false when no backup was made and the user
    // chose not to go on without one.
    bool BackUpBefore(const kiln::qstd::QString& operation);
    void BackUpOnOpen();
    store::DatabaseBackups Backups() const;
    void CommandBackups(const Command& command);
    // main_window_move.cpp
    void CommandMoveTo(const Command& command);
    bool RestoreBackup(const kiln::qstd::QString& backupPath);

    UserPrompts& prompts;
    kiln::qstd::QString startupPath;

    MainMenuButton menuButton;                 // menu_button.cpp
    FormatToolbar toolbar;                     // format_toolbar.cpp
    Splitter splitter;                         // splitter.cpp; dragging in main_window_layout.cpp
    StatusBar statusBar;                       // status_bar.cpp
    CaptionBar captionBar;                     // caption_bar.cpp
    CardTreeView cardTree;                     // card_tree_view.cpp, with its image list
    CardDatabase database;                     // main_window_database.cpp
    kiln::qstd::QString databasePath;          // main_window_database.cpp
    kiln::qstd::QString currentPassword;       // main_window_password.cpp
    bool readOnly = false;                     // main_window_database.cpp
    store::FileChangeWatch fileChanges;        // main_window_refresh.cpp
    bool refreshing = false;                   // main_window_refresh.cpp
    bool passwordChangedElsewhere = false;     // main_window_password.cpp
    bool databaseLent = false;                 // main_window_saving.cpp: RunOnDatabase
    documents::PrintSetup branchPrintSetup;    // main_window_print.cpp
    SaveSchedule saveSchedule;                 // main_window_saving.cpp
    kiln::qstd::QString lastSaveFailure;       // main_window_saving.cpp
    WelcomeBrowser welcomeBrowser;             // welcome_browser.cpp; shown in main_window_database.cpp
    bool searchPanelShown = false;             // main_window_commands.cpp
    bool maximisedBySystemCommand = false;     // main_window_commands.cpp
    bool applicationActive = false;            // main_window_frame.cpp
    int treeWidth = 150;                       // main_window_layout.cpp
    TabContainer tabs;                         // tab_container.cpp
    kiln::qstd::QString settingsPath;          // main_window.cpp
    AppSettings settings;                      // main_window.cpp: read at construction, written on close
    SearchPanel searchPanel;                   // search_panel.cpp
    BackgroundSearch search;                   // main_window_search.cpp
    bool resultLeftUnsaved = false;            // main_window_search.cpp
    NOTIFYICONDATAW trayRecord = {};           // main_window_tray.cpp
    bool iconInTray = false;                   // main_window_tray.cpp
    BackgroundBackup openBackup;               // main_window_backups.cpp
    UINT taskbarCreatedMessage = 0;            // main_window_tray.cpp
    bool hotKeyRegistered = false;             // main_window_tray.cpp
    bool alwaysOnTop = false;                  // main_window_tray.cpp
    bool treeDragging = false;                 // main_window_drag.cpp
    HTREEITEM draggedItem = nullptr;           // main_window_drag.cpp
    kiln::qwin::QImageList dragImage;          // main_window_drag.cpp
    HWND focusBeforeDeactivation = nullptr;    // main_window_keyboard.cpp
    bool altPressedAlone = false;              // main_window_keyboard.cpp
};
