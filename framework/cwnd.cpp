#include "framework/afxwnd.h"

#include <vector>

CWnd::~CWnd() = default;

void CWnd::SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }

void CWnd::GetWindowText(CString &text) const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int copied = ::GetWindowTextW(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
    text = CString(buffer.data(), copied);
}

BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }

BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

void CWnd::GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

CWnd *CWnd::GetDlgItem(int id) const {
    HWND item = ::GetDlgItem(m_hWnd, id);
    if (!item) return nullptr;
    std::unique_ptr<CWnd> &wrapper = m_dlgItems[id];
    if (!wrapper) wrapper = std::make_unique<CWnd>();
    wrapper->m_hWnd = item;
    return wrapper.get();
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

LRESULT CWnd::Default() {
    return DefaultProcessing(m_currentMessage.message, m_currentMessage.wParam, m_currentMessage.lParam);
}

LRESULT CWnd::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnClose() { Default(); }

const AFX_MSGMAP *CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP *CWnd::GetMessageMap() const { return GetThisMessageMap(); }

bool CWnd::DispatchThroughMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
    for (const AFX_MSGMAP *map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY *entry = map->lpEntries; entry->pfnHandler; ++entry) {
            if (entry->nMessage != message) continue;
            if (message == WM_COMMAND && (entry->nCode != HIWORD(wParam) || entry->nID != LOWORD(wParam))) continue;
            // Handlers may run nested messages (modal boxes, default processing): keep ours.
            CurrentMessage saved = m_currentMessage;
            m_currentMessage = {message, wParam, lParam};
            *result = 0;
            entry->pfnHandler(this, wParam, lParam, result);
            m_currentMessage = saved;
            return true;
        }
    }
    return false;
}

void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl) {
    // Bound on every exchange, so a dialog created again gets its new controls.
    rControl.m_hWnd = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
}
