#include "app/vantor_app.h"

#include <commctrl.h>

#include "app/globals.h"
#include "app/vantor_dlg.h"

namespace {
constexpr wchar_t kInstanceMutexName[] = L"Vantor";  // session-local: no "Global\" prefix
// The framework wizard's stock company key; nothing of ours is stored under it.
constexpr wchar_t kWizardRegistryKey[] = L"本機 AppWizard 所產生的應用程式";
}  // namespace

CVantorApp::CVantorApp() { m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART; }

BOOL CVantorApp::InitInstance() {
    // Another copy in this session: end silently, before any window exists.
    g_instanceMutex = ::OpenMutexW(0, FALSE, kInstanceMutexName);
    if (g_instanceMutex) return FALSE;
    g_instanceMutex = ::CreateMutexW(nullptr, TRUE, kInstanceMutexName);
    if (!g_instanceMutex || ::GetLastError() == ERROR_ALREADY_EXISTS) return FALSE;

    INITCOMMONCONTROLSEX commonControls = {};
    commonControls.dwSize = sizeof(commonControls);
    commonControls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&commonControls);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    CShellManager *shellManager = new CShellManager;
    CMFCVisualManager::SetDefaultManager(RUNTIME_CLASS(CMFCVisualManagerWindows));
    SetRegistryKey(kWizardRegistryKey);

    CVantorDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;  // the dialog has ended and goes with this function

    delete shellManager;
    return FALSE;
}
