#pragma once

// String-table entries linked into the test executable.
#define IDS_CARD_TITLE 101
#define IDS_FILLS_FIRST_ROOM 102
#define IDS_FILLS_SECOND_ROOM 103
#define IDS_LONG_TEXT 104
#define IDS_CARD_COUNT_FORMAT 105
#define IDS_MISSING 199
