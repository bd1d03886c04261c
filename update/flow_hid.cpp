#include "app/vantor_dlg.h"

// Placeholder until the flow lands.
void CVantorDlg::UpdateOverHid() {}
