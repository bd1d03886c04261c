// The application object's registration and the program's entry point. They live together so
// that linking any CWinApp also brings in wWinMain, which the start-up code looks for last.
#include "framework/afxwinapp.h"

namespace {
CWinApp *g_currentApp;
}

CWinApp::CWinApp(LPCWSTR) { g_currentApp = this; }

CWinApp::~CWinApp() {
    if (g_currentApp == this) g_currentApp = nullptr;
}

CWinApp *AfxGetApp() { return g_currentApp; }

CWnd *AfxGetMainWnd() { return g_currentApp ? g_currentApp->m_pMainWnd : nullptr; }

// The application object was constructed as a static before this runs.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int cmdShow) {
    CWinApp *app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = cmdLine;
    app->m_nCmdShow = cmdShow;
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}
