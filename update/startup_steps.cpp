#include "update/startup_steps.h"

#include "app/globals.h"
#include "app/vantor_dlg.h"
#include "framework/afxwinapp.h"

CString LowerCaseCommandLine() {
    const wchar_t *commandLine = AfxGetApp()->m_lpCmdLine;
    CString text = commandLine ? commandLine : L"";
    text.MakeLower();
    return text;
}

CString VersionLines(const CString &ledVersion, const CString &loaderVersion) {
    CString text;
    text.Format(L"Led ver.: %s\tLoder ver.: %s", ledVersion.GetString(), loaderVersion.GetString());
    return text;
}

void ShowImageVersions(CVantorDlg &dialog) {
    g_ledVersion = g_imageLedVerF + g_imageLedVerS;
    g_loaderVersion = g_imageLoaderVerF + g_imageLoaderVerS;
    dialog.m_stObject.SetWindowText(VersionLines(g_ledVersion, g_loaderVersion));
    dialog.m_stStatus.SetWindowText(L"");
}
