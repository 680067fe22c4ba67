// Command identifiers of the main window's menus and its controls, shared
// by the window and the resource script; the results list's commands (the
// "編集(&E)" and "表示(&V)" menus) are the list's own.
#pragma once

#include "results/resultslist_commands.h"

// Controls of the main window.
#define IDC_FILENAME       1001
#define IDC_BROWSEBTN      1002
#define IDC_ASCII          1003
#define IDC_ASCIISPIN      1004
#define IDC_STARTBTN       1005
#define IDC_OPTBTN         1006
#define IDC_CLOSEBTN       1007
#define IDC_LISTVIEW       1008
#define IDC_PROGRESSBAR    1009
#define IDC_PANEL          1010
#define IDC_STATUSBAR      1013
#define IDC_FILTERBOX      1014

// "ファイル(&F)"
#define IDM_SAVE           2001   // SaveItem
#define IDM_CLOSE          2002   // CloseItem
// "ヘルプ(&H)"
#define IDM_README         2301   // "ReadMe 表示(&R)"
#define IDM_VERSION        2302   // "バージョン情報(&A)..."
