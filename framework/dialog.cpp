#include "framework/afxdialog.h"
#include "framework/afxwinapp.h"

CDialog::CDialog(UINT templateId, CWnd *parent) : m_templateId(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    // A modeless dialog still open must not call back into a destroyed object.
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        ::DestroyWindow(m_hWnd);
    }
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CDialogEx, CDialog)
END_MESSAGE_MAP()

HWND CDialog::OwnerWindow() const {
    // As the framework does: no parent given means the application's main window owns the dialog.
    CWnd *owner = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    if (!owner || owner == this) return nullptr;
    return owner->GetSafeHwnd();
}

INT_PTR CDialog::DoModal() {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), OwnerWindow(),
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT templateId, CWnd *parent) {
    m_templateId = templateId;
    m_pParentWnd = parent;
    HWND created = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), OwnerWindow(),
                                        &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return created != nullptr;
}

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
    // The system's dialog procedure first asks ours, which must decline this one message.
    m_passToSystem = true;
    LRESULT result = ::DefDlgProcW(m_hWnd, message, wParam, lParam);
    m_passToSystem = false;
    return result;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog *self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog *>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->m_hWnd = hwnd;
    } else {
        self = reinterpret_cast<CDialog *>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    if (self->m_passToSystem) {
        self->m_passToSystem = false;
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }
    return self->HandleMessage(message, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CurrentMessage saved = m_currentMessage;
        m_currentMessage = {message, wParam, lParam};
        BOOL result = OnInitDialog();
        m_currentMessage = saved;
        return result;
    }
    LRESULT result = 0;
    if (!DispatchThroughMessageMap(message, wParam, lParam, &result)) return FALSE;
    switch (message) {
    // These few return their value straight from the dialog procedure.
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return static_cast<INT_PTR>(result);
    default:
        if (::IsWindow(m_hWnd)) ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
