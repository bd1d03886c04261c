#include "framework/afxwnd.h"
#include "framework/ui_hooks.h"

namespace {
MessageBoxHook &CurrentHook() {
    static MessageBoxHook hook;
    return hook;
}
}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) { CurrentHook() = std::move(hook); }

int CWnd::MessageBox(LPCWSTR text, LPCWSTR caption, UINT type) {
    if (CurrentHook()) return CurrentHook()(m_hWnd, CString(text), CString(caption), type);
    return ::MessageBoxW(m_hWnd, text, caption, type);
}
