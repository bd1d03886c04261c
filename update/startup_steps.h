// Pieces of the start-up checks that the USB and SMBus branches share.
#pragma once

#include "framework/cstring.h"

class CVantorDlg;

// The framework's command-line text, lower-cased; a missing one is taken as empty.
CString LowerCaseCommandLine();

// The "Object:" line when no "*.bin" is found.
constexpr wchar_t kNoImageLine[] = L"Can not find (*.bin) file";

// The text of the "Current:" and "Object:" lines.
CString VersionLines(const CString &ledVersion, const CString &loaderVersion);

// Once the image's version fields are stored: from here the version texts hold the image's
// (the registry keeps the controller's), the "Object:" line shows them and the status line
// is emptied.
void ShowImageVersions(CVantorDlg &dialog);
