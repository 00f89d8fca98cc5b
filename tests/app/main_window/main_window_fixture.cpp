#include "main_window_fixture.h"

#include <ole2.h>
#include <richedit.h>

#include "window/display_scale.h"
#include "gui_harness.h"
#include "store/card_database.h"
#include "store/card_operations.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;
using kiln::qwin::scaleX;
using kiln::qwin::scaleY;

namespace apptest {

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const DWORD n = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, n) + name;
}

void HoldControl(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

void MainWindowTest::SetUp() {
    oleReady = SUCCEEDED(OleInitialize(nullptr));
    settingsPath = TempPath(L"vorlen-app-test.config");
    DeleteFileW(settingsPath.c_str());
}

void MainWindowTest::TearDown() {
    window.reset();
    // The window's destruction asks the (absent) message loop to end.
    guitest::DrainQuit();
    scaleX = scaleY = 1.0;
    DeleteFileW(settingsPath.c_str());
    if (oleReady) OleUninitialize();
}

void MainWindowTest::Start(const std::wstring& startupPath, int dpi, int cx, int cy) {
    scaleX = scaleY = dpi * 0.010416667;
    window = std::make_unique<MainWindow>(prompts, startupPath.c_str(), settingsPath.c_str());
    ASSERT_TRUE(window->Create(nullptr, 0, 0));
    ASSERT_NE(window->GetHandle(), nullptr);
    ShowWindow(window->GetHandle(), SW_SHOW);
    // The whole window is client area.
    SetWindowPos(window->GetHandle(), nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindowTest::Command(int id, int code) {
    SendMessageW(window->GetHandle(), WM_COMMAND, MAKEWPARAM(id, code), 0);
}

Placement MainWindowTest::PlacementOf(HWND child) const {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window->GetHandle(), reinterpret_cast<POINT*>(&rect), 2);
    return Placement{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::wstring MainWindowTest::EditorText() {
    EditorPage* page = window->GetTabs().GetActiveEditor();
    return page ? std::wstring(page->GetPlainText().c_str()) : std::wstring();
}

CardFile::CardFile(const wchar_t* name) : path(TempPath(name)) {
    DeleteFileW(path.c_str());
    CardDatabase database;
    store::createCardDatabase(database, path.c_str());
    projects = store::addCard(database, 0);
    store::renameCard(database, projects, L"Projects");
    ideas = store::addCard(database, projects);
    store::renameCard(database, ideas, L"Ideas");
    const char rtf[] = "{\\rtf1\\ansi Ideas text\\par}";
    QBuffer content;
    content.Append(rtf, sizeof(rtf) - 1);
    database.saveCardContent(L"Ideas text", content, ideas);
    journal = store::addCard(database, 0);
    store::renameCard(database, journal, L"Journal");
}

CardFile::~CardFile() {
    DeleteFileW(path.c_str());
}

std::wstring CardFile::StoredText(CardId id) const {
    CardDatabase database;
    database.openFile(path.c_str());
    return store::loadCardText(database, id).c_str();
}

std::string CardFile::StoredRtf(CardId id) const {
    CardDatabase database;
    database.openFile(path.c_str());
    const kiln::qstd::QBuffer stored = store::loadCardContent(database, id);
    return std::string(reinterpret_cast<const char*>(stored.GetData()), stored.GetCount());
}

void CardFile::Store(CardId id, const wchar_t* txt, const std::string& rtf) const {
    CardDatabase database;
    database.openFile(path.c_str());
    kiln::qstd::QBuffer bytes;
    bytes.Append(rtf.data(), static_cast<unsigned>(rtf.size()));
    database.saveCardContent(txt, bytes, id);
}

}  // namespace apptest
