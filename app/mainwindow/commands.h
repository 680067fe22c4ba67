// Command identifiers of the main window's menus, its controls and the
// results list's pop-up menu, shared by the window, the list and the
// resource script.
#pragma once

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

// "ファイル(&F)"
#define IDM_SAVE           2001   // SaveItem
#define IDM_CLOSE          2002   // CloseItem
// "編集(&E)" (the pop-up menu's copy entry uses the same identifier)
#define IDM_COPY           2106   // "コピー(&C)"
#define IDM_DELETE         2101   // "リストから削除(&D)"
#define IDM_FIND           2102   // "検索(&F)..."
#define IDM_SELECTALL      2103   // "すべて選択(&A)"
#define IDM_REVERSE        2104   // "選択の切り替え(&I)"
#define IDM_SELECTCHECK    2105   // "チェックありを選択(&C)"
// "表示(&V)" (the pop-up menu's sort entries use the same identifiers)
#define IDM_SORTADDRESS    2201   // "アドレス順(&A)"
#define IDM_SORTNAME       2202   // "文字列の名前順(&N)"
#define IDM_SORTLENGTH     2203   // "文字列の長さ順(&L)"
#define IDM_SORTCHECK      2204   // "チェックあり/なし順(&C)"
// "ヘルプ(&H)"
#define IDM_README         2301   // "ReadMe 表示(&R)"
#define IDM_VERSION        2302   // "バージョン情報(&A)..."
// The pop-up menu's delete entry
#define IDM_POPUPDELETE    2401
