// The controls the dialogs bind, and the paint device context.
#pragma once

#include <windows.h>

#include "framework/afxwnd.h"

class CStatic : public CWnd {};

class CButton : public CWnd {};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper);
    void GetRange(int &lower, int &upper) const;
    int SetPos(int pos);  // returns the previous position
    int GetPos() const;
};

// BeginPaint on construction, EndPaint on destruction.
class CPaintDC {
public:
    explicit CPaintDC(CWnd *wnd);
    CPaintDC(const CPaintDC &) = delete;
    CPaintDC &operator=(const CPaintDC &) = delete;
    ~CPaintDC();

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon);

    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};
