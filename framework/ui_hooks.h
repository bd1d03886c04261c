// Test seam: lets a test record message boxes instead of showing them.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/cstring.h"

using MessageBoxHook = std::function<int(HWND owner, const CString &text, const CString &caption, UINT type)>;

// While a hook is set, CWnd::MessageBox calls it and returns its result; an empty hook restores
// the real message box.
void SetMessageBoxHook(MessageBoxHook hook);
