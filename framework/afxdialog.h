// Dialogs on real dialog templates, modal (DoModal) or modeless (Create), and the controls they bind.
// The one include for dialog code.
#pragma once

#include <windows.h>

#include "framework/afxcontrols.h"
#include "framework/afxmsgmap.h"
#include "framework/afxwnd.h"
#include "framework/cstring.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd *parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; returns the EndDialog result, or -1 when it cannot be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless (tests); end it with DestroyWindow.
    BOOL Create(UINT templateId, CWnd *parent = nullptr);
    void EndDialog(int result);

    // Base: binds the controls (UpdateData(FALSE)) and lets the system set the focus.
    virtual BOOL OnInitDialog();

protected:
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_templateId;
    CWnd *m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND OwnerWindow() const;

    // Set while Default() hands the current message to the system's dialog procedure, which
    // calls DialogProc once more with it: that call must report "not handled".
    bool m_passToSystem = false;
};

class CDialogEx : public CDialog {
public:
    explicit CDialogEx(UINT templateId, CWnd *parent = nullptr) : CDialog(templateId, parent) {}

    DECLARE_MESSAGE_MAP()
};
