// The About box, opened from the main dialog's system menu.
#pragma once

#include "app/resource.h"
#include "framework/afxdialog.h"

class CAboutDlg : public CDialogEx {
public:
    CAboutDlg();

    enum { IDD = IDD_ABOUTBOX };

    DECLARE_MESSAGE_MAP()
};
