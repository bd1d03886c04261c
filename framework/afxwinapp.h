// CWinApp: the application object. The framework's wWinMain hands it the command line, calls
// InitInstance and returns the exit code of its exit processing.
#pragma once

#include <windows.h>

#include "framework/afxshell.h"
#include "framework/afxwnd.h"
#include "framework/cstring.h"

#define AFX_RESTART_MANAGER_SUPPORT_RESTART 0x01

class CWinApp {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    CWinApp(const CWinApp &) = delete;
    CWinApp &operator=(const CWinApp &) = delete;
    virtual ~CWinApp();

    // Base: registers with the Restart Manager when restart support is asked for.
    virtual BOOL InitInstance();
    // The message loop, reached only when InitInstance returns TRUE.
    virtual int Run();
    // Exit processing; its result is the process's exit code.
    virtual int ExitInstance();

    void SetRegistryKey(LPCWSTR companyName);

    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;  // the text after the program name
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd *m_pMainWnd = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;
    CString m_strRegistryKey;
    CString m_strRestartIdentifier;  // set when the process registers for restart
};

CWinApp *AfxGetApp();
CWnd *AfxGetMainWnd();
