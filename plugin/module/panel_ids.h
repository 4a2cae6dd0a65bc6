// Resource and control identifiers of the panel, shared by its dialog template (panel.rc, read by
// the resource compiler's preprocessor, hence plain macros) and its code.
#pragma once

#define IDD_PANEL 101

#define IDC_LOGO 1001
#define IDC_VERSION 1002
#define IDC_TOKEN 1003
#define IDC_SAVE 1004
#define IDC_BALANCE 1005
#define IDC_REFRESH 1006
#define IDC_EXCHANGE_FOLDER 1007
#define IDC_BROWSE 1008
#define IDC_EXPORT_DISPLACEMENT 1009
#define IDC_RESET_XFORM 1010
#define IDC_EXPORT_SEND 1011
#define IDC_PROGRESS 1012
#define IDC_STATUS 1013
#define IDC_JOB 1014
#define IDC_LINK 1015

#define IDR_LOGO_96DPI 2001
#define IDR_LOGO_144DPI 2002
