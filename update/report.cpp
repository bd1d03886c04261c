#include "app/vantor_dlg.h"
#include "host/registry.h"

// Interactive runs (empty command line) show a message box; the silent "-f" run stores "Msg".
void CVantorDlg::Report(const CString &text) {
    if (m_strCmdLine.IsEmpty())
        MessageBox(text, L"Vantor", MB_OK | MB_TOPMOST);
    else
        WriteRegString(HKEY_LOCAL_MACHINE, kUpdaterKey, L"Msg", text);
}
