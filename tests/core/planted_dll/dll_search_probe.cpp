// Loads the rich edit library by its bare name, as a program does, from a
// folder where a planted DLL of that name waits: with --harden, after the
// search the programs set up first thing. Exit status 0 when the library
// came from the system folder, 1 when it came from anywhere else, 2 when
// it could not be loaded.
#include <windows.h>

#include <cwchar>
#include <string>

#include "core/system_library.h"

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wcscmp(argv[1], L"--harden") == 0) kiln::qstd::HardenDllSearch();
    const HMODULE library = argc > 2 && std::wcscmp(argv[2], L"--system") == 0
                                ? kiln::qstd::LoadSystemLibrary(L"msftedit.dll")
                                : LoadLibraryW(L"msftedit.dll");
    if (!library) return 2;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(library, path, MAX_PATH);
    wchar_t system[MAX_PATH] = {};
    const UINT systemLength = GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring loaded(path, length);
    return CompareStringOrdinal(loaded.c_str(), static_cast<int>(systemLength), system,
                                static_cast<int>(systemLength), TRUE) == CSTR_EQUAL
               ? 0
               : 1;
}
