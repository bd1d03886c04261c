// The main dialog: version lines, progress bar, status line and the Update button.
#pragma once

#include "app/resource.h"
#include "framework/afxdialog.h"

class CVantorDlg : public CDialogEx {
public:
    explicit CVantorDlg(CWnd *parent = nullptr);
    ~CVantorDlg() override;

    enum { IDD = IDD_VANTOR_DIALOG };

    // The three update flows (update/flow_hid.cpp, update/flow_smbus_intel.cpp, update/flow_smbus_other.cpp).
    void UpdateOverHid();
    void UpdateOverSmbusIntel();
    void UpdateOverSmbusOther();

protected:
    HICON m_hIcon;

public:
    CString m_strCmdLine;
    BYTE m_ledVerF;
    BYTE m_ledVerS;
    BYTE m_loaderVerF;
    BYTE m_loaderVerS;
    CStatic m_stCurrent;
    CStatic m_stObject;
    CStatic m_stStatus;
    CProgressCtrl m_progress;
    CButton m_btnUpdate;

protected:
    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;  // update/startup.cpp: the start-up checks

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnBnClickedUpdate();  // update/completion.cpp
    afx_msg void OnClose();            // update/completion.cpp
    DECLARE_MESSAGE_MAP()

private:
    // Start-up checks split by transport (update/startup.cpp, update/startup_smbus.cpp),
    // and their common end (update/completion.cpp).
    BOOL StartupChecksOverHid();
    BOOL StartupChecksOverSmbus();
    BOOL EndOfStartupChecks();
    // Message box captioned "Vantor" (interactive) or the registry value "Msg" (silent).
    void Report(const CString &text);
};
