// Start-up and shutdown of the main window.

#include "app/main_window/main_window.h"

#include <shlwapi.h>

#include <memory>

#include "window/display_scale.h"
#include "app/product.h"
#include "core/qerror.h"
#include "resources/command_ids.h"
#include "window/ui_colors.h"

using kiln::qstd::QError;
using kiln::qstd::QString;
using kiln::qwin::QMainFrame;
using kiln::qwin::QWindow;

MainWindow::MainWindow(UserPrompts& prompts, const QString& startupPath, const QString& settingsPath)
    : prompts(prompts),
      startupPath(startupPath),
      menuButton(*this),
      toolbar(*this),
      splitter(*this),
      captionBar(*this),
      tabs(*this),
      settingsPath(settingsPath),
      settings(LoadAppSettings(settingsPath)),
      search([this] { PostMessageW(handle, kSearchFinishedMessage, 0, 0); }) {
    title = kProductName;
    LoadAccelerators(IDR_ACCELERATORS);
    treeWidth = settings.treeWidth;
}

MainWindow::~MainWindow() {
    RemoveTrayIcon();
    // The children are members: the window goes while they still exist.
    if (handle && IsWindow(handle)) DestroyWindow(handle);
}

const wchar_t* MainWindow::GetClassName() const {
    return kProductName;
}

bool MainWindow::PreRegisterClass(WNDCLASSW& windowClass) {
    QMainFrame::PreRegisterClass(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VORLEN));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    return true;
}

bool MainWindow::PreCreateWindow(CREATESTRUCTW& create) {
    QMainFrame::PreCreateWindow(create);
    create.style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                   WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    const RECT& rect = settings.windowRect;
    create.x = rect.left;
    create.y = rect.top;
    create.cx = rect.right - rect.left;
    create.cy = rect.bottom - rect.top;
    return true;
}

bool MainWindow::OnCreate() {
    CreateChildren();
    SetUpTrayAndWindowMenu();
    // The command line wins, even over a remembered file; a remembered file
    // that is gone is quietly forgotten.
    if (!startupPath.IsEmpty()) {
        OpenDatabase(startupPath, false);
    } else if (!settings.lastDatabasePath.IsEmpty() && PathFileExistsW(settings.lastDatabasePath.c_str())) {
        OpenDatabase(settings.lastDatabasePath, false);
    }
    UpdateCaption();
    return false;
}

void MainWindow::CreateChildren() {
    menuButton.Create(this, IDC_MENU_BUTTON, WS_CHILD | WS_VISIBLE);
    toolbar.Create(this, IDC_FORMAT_TOOLBAR, WS_CHILD | WS_VISIBLE);
    cardTree.CreateTree(*this, settings.treeLines);

    tabs.Create(this, 0, 0);
    tabs.SetBackground(kiln::qwin::PartColor(kiln::qwin::UiPart::Pane));
    tabs.SetCloseGuard([this](unsigned index) { return SaveTabBeforeClose(index); });
    auto welcome = std::make_unique<EditorPage>();
    EditorPage* page = welcome.get();
    if (tabs.AddEditorTab(std::move(welcome), L"Welcome", TabContainer::kWelcomeTab)) {
        page->ApplyDatabaseState(false);
        page->SetWordWrap(settings.wordWrap);
    }
    welcomeBrowser.Create(this, IDC_WELCOME_BROWSER, WS_VISIBLE);

    searchPanel.Create(this, IDC_SEARCH_PANEL_WINDOW, WS_CHILD);
    splitter.Create(this, IDC_SPLITTER, WS_CHILD | WS_VISIBLE);
    statusBar.Create(this, 0, 0);
    captionBar.Create(this, 0, 0);
    ShowWelcomeState();
}

bool MainWindow::OnClose() {
    // Nothing typed is dropped on the way out without the user's answer.
    if (!SettleAllPages()) return false;
    SaveSettings();
    return true;
}

bool MainWindow::OnDestroy() {
    ShowWindow(handle, SW_HIDE);
    search.Stop();
    TearDownTray();
    try {
        if (!SaveEverything()) throw QError(lastSaveFailure);
        database.close();
    } catch (const QError& error) {
        prompts.ShowMessage(handle, L"Message", error.message, 0);
    } catch (...) {
        prompts.ShowMessage(handle, L"Message", L"Unknown error to close!", 0);
    }
    PostQuitMessage(0);
    return true;
}
