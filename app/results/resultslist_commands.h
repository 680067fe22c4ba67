// Command identifiers of the results list: the entries of the main window's
// "編集(&E)" and "表示(&V)" menus and of the list's pop-up menu, which share
// them.  The main window's own commands (mainwindow/commands.h) take these
// in.
#pragma once

// "編集(&E)" (the pop-up menu's copy entry uses the same identifier)
#define IDM_UNDO           2107   // "元に戻す(&U)"
#define IDM_COPY           2106   // "コピー(&C)"
#define IDM_DELETE         2101   // "リストから削除(&D)"
#define IDM_FIND           2102   // "検索(&F)..."
#define IDM_SELECTALL      2103   // "すべて選択(&A)"
#define IDM_REVERSE        2104   // "選択の切り替え(&I)"
#define IDM_SELECTCHECK    2105   // "チェックありを選択(&K)"
// "表示(&V)" (the pop-up menu's sort entries use the same identifiers)
#define IDM_SORTADDRESS    2201   // "アドレス順(&A)"
#define IDM_SORTNAME       2202   // "文字列の名前順(&N)"
#define IDM_SORTLENGTH     2203   // "文字列の長さ順(&L)"
#define IDM_SORTCHECK      2204   // "チェックあり/なし順(&C)"
// "表示(&V)": which rows the list shows
#define IDM_FILTERJAPANESE 2211   // "日本語を含む行だけ(&J)"
#define IDM_FILTERCHECKED  2212   // "チェックありの行だけ(&K)"
#define IDM_FILTERANYKIND  2213   // "種類(&T)" > "すべて(&A)"
#define IDM_FILTERANSI     2214   // "種類(&T)" > "ANSI だけ(&N)"; the next six follow in RowKind order
#define IDM_FILTERUNICODE  2215   // "種類(&T)" > "Unicode だけ(&U)"
#define IDM_FILTERUTF8     2216   // "種類(&T)" > "UTF-8 だけ(&8)"
#define IDM_FILTERRESOURCE 2217   // "種類(&T)" > "Resource だけ(&R)"
#define IDM_FILTEREUCJP    2218   // "種類(&T)" > "EUC-JP だけ(&E)"
#define IDM_FILTERISO2022JP 2219  // "種類(&T)" > "ISO-2022-JP だけ(&I)"
#define IDM_FILTERUTF16BE  2220   // "種類(&T)" > "UTF-16BE だけ(&B)"
#define IDM_FILTERTEXT     2221   // "文字列で絞り込む(&F)": the filter box takes the keyboard
#define IDM_FILTERCLEAR    2222   // "すべての行を表示(&S)"
// The pop-up menu's delete entry
#define IDM_POPUPDELETE    2401
