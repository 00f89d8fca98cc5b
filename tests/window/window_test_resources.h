#pragma once

// Resources of window_tests: a resizable dialog whose controls are anchored
// in each mode, and an accelerator table.
#define IDD_ANCHORS 200
#define IDC_MOVE_RIGHT 201
#define IDC_STRETCH_RIGHT 202
#define IDC_MOVE_DOWN 203
#define IDC_STRETCH_DOWN 204
#define IDC_STRETCH_BOTH 205
#define IDC_FIXED 206
#define IDC_EDIT 207

#define IDR_ACCELERATORS 300
#define ID_COMMAND_F7 501
#define ID_COMMAND_CTRL_K 502
