#pragma once

#include <windows.h>

namespace kiln::qstd {

// Takes the program's own folder and the current folder out of the DLL
// search, so that a DLL planted beside the program (in Downloads, say) is
// never loaded in place of a system one. Called first thing in main.
void HardenDllSearch();

// Loads a DLL of the system folder by its bare name, and never one of the
// same name found elsewhere; null when the system has none.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace kiln::qstd
