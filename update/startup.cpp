#include "app/vantor_dlg.h"

// Placeholder until the start-up checks land: decorates the window and opens the dialog.
BOOL CVantorDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();

    HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
    if (systemMenu) {
        CString aboutText;
        aboutText.LoadString(IDS_ABOUTBOX);
        if (!aboutText.IsEmpty()) {
            ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    return TRUE;
}

BOOL CVantorDlg::StartupChecksOverHid() { return TRUE; }
