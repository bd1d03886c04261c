#include "app/vantor_dlg.h"

// Placeholder until the SMBus start-up checks land.
BOOL CVantorDlg::StartupChecksOverSmbus() { return TRUE; }
