#include "framework/afxwinapp.h"

#include <objbase.h>

BOOL CWinApp::InitInstance() {
    if (m_dwRestartManagerSupportFlags & AFX_RESTART_MANAGER_SUPPORT_RESTART) {
        // The marker and an identifier tell a restarted copy apart from a normal start.
        GUID id;
        wchar_t idText[40] = {};
        if (SUCCEEDED(::CoCreateGuid(&id)) && ::StringFromGUID2(id, idText, 40) > 0) {
            m_strRestartIdentifier = idText;
            CString restartCommandLine = CString(L"/RestartByRestartManager:") + m_strRestartIdentifier;
            ::RegisterApplicationRestart(restartCommandLine, 0);
        }
    }
    return TRUE;
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return ExitInstance();
}

// A dialog application that ends after its modal dialog has no quit message: exit code 0.
int CWinApp::ExitInstance() { return 0; }

void CWinApp::SetRegistryKey(LPCWSTR companyName) { m_strRegistryKey = companyName; }
