#pragma once

// Identifiers shared by the window's resource script and its code; plain
// defines, as the resource compiler reads them too.

#define IDI_MOKUJI 1
#define IDB_BACKGROUND 101
#define IDB_IMAGE1 102
#define IDR_FORM1_MAIN_MENU 201

// Menu items and the button, as WM_COMMAND names them.
#define IDM_MNU_MAKE 1001
#define IDM_MNU_VERSION 1002
#define IDM_MNU_END 1003
#define IDM_MNU_HELP1 1004
#define IDM_MNU_HELP_RESERVED 1005
#define IDC_CMD_RUN 1101
#define IDC_IMAGE1 1102
#define IDC_LABEL1_0 1103
#define IDC_LBL_MOKUJI 1104
#define IDC_LABEL1_1 1105
