// The real program, started as a process of its own, as a user starts it.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/settings/app_settings.h"
#include "app/product.h"
#include "gui_harness.h"
#include "main_window_fixture.h"

namespace apptest {
namespace {

std::wstring ProgramPath() {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + VORLEN_EXE_FROM_TESTS;
}

// The program's running instance: ended by force if a test leaves it running.
class Program {
public:
    explicit Program(const std::wstring& argument) {
        std::wstring line = L"\"" + ProgramPath() + L"\" \"" + argument + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process) != FALSE;
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() {
        if (!started) return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    bool Started() const { return started; }
    // Its visible top-level window of this class, once there is one.
    HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs) {
        HWND found = nullptr;
        guitest::WaitUntil(
            [&] {
                found = nullptr;
                for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w && !found;
                     w = FindWindowExW(nullptr, w, className, nullptr)) {
                    DWORD owner = 0;
                    GetWindowThreadProcessId(w, &owner);
                    if (owner == process.dwProcessId && IsWindowVisible(w)) found = w;
                }
                return found != nullptr;
            },
            timeoutMs);
        return found;
    }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(DWORD timeoutMs) {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
        return code;
    }
    HANDLE Handle() const { return process.hProcess; }

private:
    bool started = false;
    PROCESS_INFORMATION process = {};
};

// The titles of the top-level items of a tree view in another process: the
// item record and its text buffer live in that process's memory.
std::vector<std::wstring> TopLevelTitles(HANDLE process, HWND tree) {
    struct Remote {
        TVITEMW item;
        wchar_t text[260];
    };
    std::vector<std::wstring> titles;
    auto* remote = static_cast<Remote*>(
        VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote) return titles;
    for (auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)); item;
         item = reinterpret_cast<HTREEITEM>(
             SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        Remote local = {};
        local.item.mask = TVIF_TEXT;
        local.item.hItem = item;
        local.item.pszText = remote->text;
        local.item.cchTextMax = 260;
        SIZE_T moved = 0;
        WriteProcessMemory(process, remote, &local, sizeof(local), &moved);
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&remote->item));
        ReadProcessMemory(process, remote, &local, sizeof(local), &moved);
        local.text[259] = 0;
        titles.push_back(local.text);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return titles;
}

// The program keeps its settings where every user's program does, in this
// Wine prefix too: whatever file is there is put aside for the test and back
// afterwards.
class SettingsFileAside {
public:
    SettingsFileAside() : path(SettingsFilePath().c_str()), aside(path + L".before-test") {
        hadFile = MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    SettingsFileAside(const SettingsFileAside&) = delete;
    SettingsFileAside& operator=(const SettingsFileAside&) = delete;
    ~SettingsFileAside() {
        if (hadFile) {
            MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
        } else {
            DeleteFileW(path.c_str());
        }
    }
    const std::wstring& Path() const { return path; }

private:
    std::wstring path;
    std::wstring aside;
    bool hadFile = false;
};

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

TEST(EndToEndTest, TheProgramOpensTheDatabaseOnItsCommandLineAndRemembersItOnClose) {
    CardFile cards(L"vorlen-end-to-end.data");
    SettingsFileAside settings;
    ASSERT_FALSE(settings.Path().empty());
    Program program(cards.Path());
    ASSERT_TRUE(program.Started()) << "cannot start " << std::string(ProgramPath().begin(), ProgramPath().end());
    const HWND main = program.WaitForWindow(L"Vorlen", 20000);
    ASSERT_NE(main, nullptr) << "no main window appeared";
    EXPECT_EQ(TextOf(main), L"Vorlen");

    const HWND caption = FindWindowExW(main, nullptr, L"CaptionBar", nullptr);
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(TextOf(caption), std::wstring(kProductCaption) + L"[" + cards.Path() + L"]");

    const HWND tree = FindWindowExW(main, nullptr, L"SysTreeView32", nullptr);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(GetDlgCtrlID(tree), 222);
    // The top level; "Ideas" below "Projects" is read when its branch opens.
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(TopLevelTitles(program.Handle(), tree), (std::vector<std::wstring>{L"Projects", L"Journal"}));

    // Somewhere else than the default, so that the file cannot hold it by chance.
    SetWindowPos(main, nullptr, 40, 30, 760, 560, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT placed;
    GetWindowRect(main, &placed);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(20000), 0u);

    const AppSettings written = LoadAppSettings(settings.Path().c_str());
    EXPECT_EQ(std::wstring(written.lastDatabasePath.c_str()), cards.Path());
    EXPECT_EQ(written.windowRect.left, placed.left);
    EXPECT_EQ(written.windowRect.top, placed.top);
    EXPECT_EQ(written.windowRect.right, placed.right);
    EXPECT_EQ(written.windowRect.bottom, placed.bottom);
    EXPECT_EQ(written.lastSelectedCard, cards.projects);
}

// The visible rich edit of the program's active page.
HWND VisibleEditor(HWND main) {
    struct Search {
        HWND found = nullptr;
    } search;
    EnumChildWindows(
        main,
        [](HWND child, LPARAM data) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(child, name, 64);
            if (lstrcmpiW(name, L"RICHEDIT50W") != 0 || !IsWindowVisible(child)) return TRUE;
            reinterpret_cast<Search*>(data)->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Typed into the real program, which is then ended by force as a crash or a
// power cut would end it: what was typed more than about two seconds before
// is in the file, without any save command.
TEST(EndToEndTest, WordsTypedBeforeTheProcessIsKilledAreInTheFile) {
    struct Case {
        const char* name;
        DWORD typingMs;       // how long the typing goes on, a key every 50 ms
        DWORD quietBeforeKill;  // from the last key to the kill
    };
    const Case cases[] = {
        {"a word, then a pause", 500, 3000},
        {"typing that goes on until the kill", 6000, 0},
        {"killed during the pause", 4000, 700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CardFile cards(L"vorlen-killed.data");
        SettingsFileAside settings;
        Program program(cards.Path());
        ASSERT_TRUE(program.Started());
        const HWND main = program.WaitForWindow(L"Vorlen", 20000);
        ASSERT_NE(main, nullptr);
        HWND editor = nullptr;
        ASSERT_TRUE(guitest::WaitUntil([&] { return (editor = VisibleEditor(main)) != nullptr; }, 10000));

        const std::wstring letters = L"abcdefghijklmnopqrstuvwxyz ";
        std::wstring typed;
        // What had been typed at each moment, to compare with the file.
        std::vector<std::pair<DWORD, size_t>> progress;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < c.typingMs) {
            const wchar_t key = letters[typed.size() % letters.size()];
            PostMessageW(editor, WM_CHAR, key, 1);
            typed += key;
            Sleep(50);
            // Posted keys count once the program took them.
            SendMessageW(editor, WM_NULL, 0, 0);
            progress.push_back({GetTickCount(), typed.size()});
        }
        Sleep(c.quietBeforeKill);
        const DWORD killedAt = GetTickCount();
        ASSERT_TRUE(TerminateProcess(program.Handle(), 9));
        program.WaitForExit(10000);

        size_t mustHave = 0;
        for (const auto& [when, count] : progress) {
            if (killedAt - when > 2500) mustHave = count;
        }
        const std::wstring stored = cards.StoredText(cards.projects);
        // The typing goes in at the caret, ahead of the card's own text.
        size_t kept = 0;
        while (kept < typed.size() && kept < stored.size() && stored[kept] == typed[kept]) ++kept;
        EXPECT_GE(kept, mustHave) << "typed " << typed.size() << " keys, the file holds " << kept;
        if (c.quietBeforeKill >= 2500) {
            EXPECT_EQ(kept, typed.size());
        }
    }
}

// The welcome page the browser control loads from res://vorlen.exe/ and the
// logo the native page draws are the program's own resources, not the tests'.
TEST(EndToEnd, TheProgramCarriesItsWelcomePage) {
    const HMODULE program = LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    for (const wchar_t* name : {L"DOC.HTML", L"STYLE.CSS", L"VORLEN.PNG"}) {
        const HRSRC resource = FindResourceW(program, name, RT_HTML);
        EXPECT_NE(resource, nullptr) << name;
        if (resource) {
            EXPECT_GT(SizeofResource(program, resource), 0u) << name;
        }
    }
    FreeLibrary(program);
}

}  // namespace
}  // namespace apptest
