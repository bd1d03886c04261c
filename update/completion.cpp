#include "app/vantor_dlg.h"

// Placeholder until the completion lands.
BOOL CVantorDlg::EndOfStartupChecks() { return TRUE; }
void CVantorDlg::OnBnClickedUpdate() {}
void CVantorDlg::OnClose() { Default(); }
