// Resource identifiers, shared by the resource script and the code.
#pragma once

#define IDM_ABOUTBOX 0x0010
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_VANTOR_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_UPDATE 1000
#define IDC_CURRENT_VERSION 1006
#define IDC_OBJECT_VERSION 1007
#define IDC_PROGRESS 1008
#define IDC_STATUS 1009
