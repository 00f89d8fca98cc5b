#include "shell_drop.h"

#include <shlobj.h>

#include <cwchar>

namespace guitest {

HDROP MakeShellDrop(const std::vector<std::wstring>& paths, POINT point) {
    size_t characters = 1;
    for (const auto& path : paths) characters += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND | GMEM_SHARE, sizeof(DROPFILES) + characters * sizeof(wchar_t));
    if (!memory) return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->pt = point;
    header->fNC = FALSE;
    header->fWide = TRUE;
    wchar_t* names = reinterpret_cast<wchar_t*>(header + 1);
    for (const auto& path : paths) {
        wcscpy(names, path.c_str());
        names += path.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

}  // namespace guitest
