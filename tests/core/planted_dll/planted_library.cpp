// Stands in for a DLL planted beside a downloaded program under a system
// DLL's name: being loaded at all leaves a mark beside it.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring mark(path, length);
    mark.resize(mark.find_last_of(L"\\/") + 1);
    mark += L"planted-dll-loaded";
    const HANDLE file = CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}
