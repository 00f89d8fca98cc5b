#pragma once

#include <windows.h>

#include "resources/command_ids.h"

// The colours a selection can be given, by the command that gives it: the
// editor's menu and the toolbar's colour lists offer the same ones.
struct ColorCommand {
    int id;
    COLORREF color;
    const wchar_t* name;
};

inline constexpr ColorCommand kTextColors[] = {
    {IDM_COLOR_RED, RGB(255, 0, 0), L"Red"},       {IDM_COLOR_MAGENTA, RGB(255, 0, 255), L"Magenta"},
    {IDM_COLOR_BLUE, RGB(0, 0, 255), L"Blue"},     {IDM_COLOR_BROWN, RGB(177, 0, 0), L"Brown"},
    {IDM_COLOR_GREY, RGB(192, 192, 192), L"Grey"}, {IDM_COLOR_RESET, RGB(7, 7, 7), L"Reset"},
};

inline constexpr ColorCommand kBackColors[] = {
    {IDM_BACK_YELLOW, RGB(255, 255, 0), L"Yellow"},   {IDM_BACK_ORANGE, RGB(255, 175, 135), L"Orange"},
    {IDM_BACK_PINK, RGB(250, 175, 190), L"Pink"},     {IDM_BACK_CYAN, RGB(0, 255, 255), L"Cyan"},
    {IDM_BACK_VIOLET, RGB(190, 130, 190), L"Violet"}, {IDM_BACK_RESET, RGB(252, 252, 252), L"Reset"},
};
