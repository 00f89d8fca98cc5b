#pragma once

#include "vorlen_version.h"

// The product's name and version as the program shows them, with the
// architecture it was built for.
#define VORLEN_WIDEN2(text) L##text
#define VORLEN_WIDEN(text) VORLEN_WIDEN2(text)
#define VORLEN_VERSION VORLEN_WIDEN(VORLEN_VERSION_TEXT)
#ifdef _WIN64
#define VORLEN_ARCHITECTURE L"x64"
#else
#define VORLEN_ARCHITECTURE L"x86"
#endif

// Caption, tray tip and About box heading; the two trailing blanks are part of it.
inline constexpr const wchar_t* kProductCaption = L"Vorlen " VORLEN_VERSION L" " VORLEN_ARCHITECTURE L"  ";
// The main window's own text (the taskbar's) and its window class.
inline constexpr const wchar_t* kProductName = L"Vorlen";
