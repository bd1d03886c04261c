// Registry string values. Failures fall back to the default or leave no trace.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

CString ReadRegString(HKEY root, CString subkey, CString valueName, CString defaultText, REGSAM access);
void WriteRegString(HKEY root, CString subkey, CString valueName, CString text);

// The updater's own key, under HKEY_LOCAL_MACHINE.
extern const wchar_t *const kUpdaterKey;  // "SOFTWARE\QYX\Tessaly Series\LED"
