// CWnd: a window handle with the few operations the dialogs use, plus data exchange.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "framework/afxmsgmap.h"
#include "framework/cstring.h"

class CDataExchange;

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd &) = delete;
    CWnd &operator=(const CWnd &) = delete;
    virtual ~CWnd();

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    void SetWindowText(LPCWSTR text);
    void GetWindowText(CString &text) const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    BOOL IsIconic() const;
    void GetClientRect(LPRECT rect) const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL DestroyWindow();
    // The child control with this id, or null. The object stays valid while this window lives.
    CWnd *GetDlgItem(int id) const;
    // Shows a message box owned by this window, or hands it to the test hook (ui_hooks.h).
    int MessageBox(LPCWSTR text, LPCWSTR caption = nullptr, UINT type = MB_OK);

    // Runs DoDataExchange: FALSE binds controls / fills them, TRUE reads them back.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

protected:
    virtual void DoDataExchange(CDataExchange *) {}

    // Default processing of the message being handled.
    LRESULT Default();
    virtual LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);

    // Base handlers: default processing.
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg void OnClose();

    // Looks the message up in the message-map chain; FALSE when no entry handles it.
    bool DispatchThroughMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result);

    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    CurrentMessage m_currentMessage;

    static const AFX_MSGMAP *GetThisMessageMap();
    virtual const AFX_MSGMAP *GetMessageMap() const;

private:
    mutable std::map<int, std::unique_ptr<CWnd>> m_dlgItems;
};

class CDataExchange {
public:
    CDataExchange(CWnd *dlgWnd, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlgWnd) {}

    BOOL m_bSaveAndValidate;
    CWnd *m_pDlgWnd;
};

// Binds the member to the dialog's control (no subclassing: the member just gets the handle).
void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl);
