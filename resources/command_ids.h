#pragma once

// Resource numbers and command identifiers shared by the resource script and
// the program. Plain macros, because the resource compiler reads this file too.

// Menu 109 holds three popups, by position.
#define IDR_POPUP_MENUS 109
#define POPUP_MAIN_BUTTON 0
#define POPUP_TREE 1
#define POPUP_RICH 2

#define IDR_ACCELERATORS 11054

// Main menu (MAINBUT_MENIU)
#define IDM_NEW_DATABASE 32854
#define IDM_OPEN_DATABASE 32853
#define IDM_SAVE 32855
#define IDM_CLOSE_DATABASE 32800
#define IDM_SET_PASSWORD 32856
#define IDM_CHANGE_PASSWORD 32858
#define IDM_REMOVE_PASSWORD 32859
#define IDM_IMPORT 32843
#define IDM_EXPORT 32796
#define IDM_ASSOCIATE_EXTENSIONS 32876
#define IDM_HELP 32797
#define IDM_FEEDBACK 32798
#define IDM_ABOUT 32799
#define IDM_EXIT 32801

// Card tree menu (TREE)
#define IDM_ADD_CARD 32844
#define IDM_DELETE_CARD 32845
#define IDM_DELETE_ALL_CARDS 32846
#define IDM_BACKUPS 32950
#define IDD_BACKUPS 32951
#define IDC_BACKUP_LIST 32952
#define IDM_RENAME 32847
#define IDM_OPEN_IN_NEW_TAB 32852
#define IDM_TREE_EXPORT 32861
#define IDM_EXPORT_BRANCH 32890
#define IDM_PRINT_BRANCH 32891
// "Move to...": the card's new parent picked in a small tree of the cards.
#define IDM_MOVE_TO 32970
#define IDD_MOVE_TO 32971
#define IDC_MOVE_TREE 32972
#define IDC_MOVE_CARD 32973

// Editor menu (RICH)
#define IDM_CUT 32807
#define IDM_COPY 32808
#define IDM_PASTE 32809
#define IDM_DELETE 32810
#define IDM_SEARCH_GOOGLE 32815
#define IDM_SEARCH_BING 32816
#define IDM_PRINT 32817
#define IDM_COLOR_RED 32818
#define IDM_COLOR_MAGENTA 32819
#define IDM_COLOR_BLUE 32820
#define IDM_COLOR_BROWN 32821
#define IDM_COLOR_GREY 32822
#define IDM_COLOR_RESET 32823
#define IDM_BACK_YELLOW 32824
#define IDM_BACK_ORANGE 32825
#define IDM_BACK_PINK 32826
#define IDM_BACK_CYAN 32827
#define IDM_BACK_VIOLET 32828
#define IDM_BACK_RESET 32851
#define IDM_CLEAR_FORMATTING 32871

// Accelerators whose identifiers no menu item carries
#define IDA_ESCAPE 32772
#define IDA_BOLD 32771
#define IDA_FIND_NEXT 43346
#define IDA_CTRL_L 32784
#define IDA_ITALIC 32783
#define IDA_NEW_DATABASE 32785
#define IDA_OPEN_DATABASE 32787
#define IDA_REDO 32789
#define IDA_SAVE 32792
#define IDA_CODE_STYLE 32791
#define IDA_UNDERLINE 32793
#define IDA_UNDO 32794
#define IDA_WORD_WRAP 32872
#define IDA_ABOUT 23424
#define IDA_BULLET_LIST 23454
#define IDA_NUMBERED_LIST 23453

// Formatting toolbar buttons (besides IDA_ABOUT and the list toggles)
#define IDB_PREV 34860
#define IDB_NEXT 34861
#define IDB_STYLE 34862
#define IDB_EDIT 34864
#define IDB_DELETE 34865
#define IDB_CUT 34866
#define IDB_COPY 34867
#define IDB_PASTE 34868
#define IDC_SEARCH_PANEL 32482

// Formatting toolbar combos: the command carries the chosen text.
#define IDC_FONT_FACE 6555
#define IDC_FONT_SIZE 6598
#define IDC_LINE_SPACING 6599

// Controls and the notifications the program's own windows send
#define IDC_CARD_TREE 222
#define IDC_RICH_EDIT 12232
#define EN_CARD_TEXT_CHANGED 0xF7E7
#define EN_CARD_CARET_MOVED 0xF7E8
#define IDC_SEARCH_BOX 767
#define SEARCH_RUN 54657
#define IDC_SEARCH_RESULTS 768
#define SEARCH_RESULT_CHANGING 56785
#define SEARCH_RESULT_CHOSEN 56786
#define IDC_TAB_CHANGED 2414

// Window menu
#define IDS_MINIMIZE_TO_TRAY 16000
#define IDS_ALWAYS_ON_TOP 32000
#define IDS_ABOUT 16016

// Images
#define IDI_VORLEN 107
#define IDB_CARD_TREE 170
// The formatting toolbar's icons, 24 pixels and 36 pixels square.
#define IDB_TOOLBAR 166
#define IDB_TOOLBAR_LARGE 167

// Dialogs
#define IDD_ENTER_PASSWORD 1013
#define IDC_PASSWORD 1019
#define IDD_SET_PASSWORD 165
#define IDC_SET_PASSWORD 1013
#define IDC_SET_REPEAT_PASSWORD 1014
#define IDD_CHANGE_PASSWORD 171
#define IDC_OLD_PASSWORD 1017
#define IDC_NEW_PASSWORD 1018
#define IDC_REPEAT_NEW_PASSWORD 1021
// The choice of the old, weak file format and the warning it brings up.
#define IDC_SET_COMPATIBLE 1015
#define IDC_SET_WEAK_WARNING 1016
#define IDC_CHANGE_COMPATIBLE 1022
#define IDC_CHANGE_WEAK_WARNING 1023

// Child windows of the main window
#define IDC_MENU_BUTTON 4568
#define IDC_FORMAT_TOOLBAR 4567
#define IDC_WELCOME_BROWSER 1234
#define IDC_SEARCH_PANEL_WINDOW 56745
#define IDC_SPLITTER 46534
