// Resource and control identifiers of the version dialog TAboutDlg.
#pragma once

#define IDI_LEXPROBE            1      // the program's icon, shown by Image1
#define IDD_ABOUTDLG            300

#define IDC_IMAGE1              3101
#define IDC_LABEL1              3102
#define IDC_VERSION             3103
#define IDC_COPYRIGHT           3104
#define IDC_LABEL2              3105
#define IDC_SYSINFO             3106
#define IDC_BTNMAIL             3107
// BtnOK is IDOK (the default button); Esc sends IDCANCEL, which closes too.
