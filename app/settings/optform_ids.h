// Resource and control identifiers of the settings dialog TOptForm.
#pragma once

#define IDD_OPTFORM             200

#define IDC_HEADSEARCH          3001
#define IDC_RULESEARCH          3002
#define IDC_CHKSEARCHKANJI      3003
#define IDC_CHKHALFKANA         3004
#define IDC_CHKRECURRENCE       3005
#define IDC_SPNRECURRENCE       3006
#define IDC_SPNRECURRENCESPIN   3007
#define IDC_LBLRECURRENCE       3008
#define IDC_LBLEXAMPLE          3009
#define IDC_CHKENGLISH          3010
#define IDC_CHKSEPARATOR        3011
#define IDC_CHKINITIAL          3012
#define IDC_HEADSAVE            3013
#define IDC_RULESAVE            3014
#define IDC_CHKSAVEOPTION       3015
#define IDC_CHKSEARCHWIDE       3016
#define IDC_CHKKANJINOISE       3017
#define IDC_CHKSEARCHUTF8       3018
#define IDC_SPNMINJAPANESE      3019
#define IDC_SPNMINJAPANESESPIN  3020
#define IDC_LBLMINJAPANESE      3021
#define IDC_CHKSEARCHRESOURCES  3030
#define IDC_GRPENCODINGS        3031
#define IDC_CHKSEARCHEUCJP      3032
#define IDC_CHKSEARCHISO2022JP  3033
#define IDC_CHKSEARCHUTF16BE    3034
// BtnOK and BtnCancel are IDOK and IDCANCEL, so Enter and Esc reach them.
