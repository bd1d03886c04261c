#include "app/vantor_dlg.h"

#include "app/about_dlg.h"

// The icon and the version bytes are set once the text and control members exist.
CVantorDlg::CVantorDlg(CWnd *parent) : CDialogEx(IDD_VANTOR_DIALOG, parent) {
    m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_ledVerF = 0;
    m_ledVerS = 0;
    m_loaderVerF = 0;
    m_loaderVerS = 0;
}

// The icon is a shared resource icon: not destroyed.
CVantorDlg::~CVantorDlg() = default;

void CVantorDlg::DoDataExchange(CDataExchange *pDX) {
    CDialogEx::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CURRENT_VERSION, m_stCurrent);
    DDX_Control(pDX, IDC_OBJECT_VERSION, m_stObject);
    DDX_Control(pDX, IDC_STATUS, m_stStatus);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_UPDATE, m_btnUpdate);
}

BEGIN_MESSAGE_MAP(CVantorDlg, CDialogEx)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_UPDATE, &CVantorDlg::OnBnClickedUpdate)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

void CVantorDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialogEx::OnSysCommand(nID, lParam);
    }
}

// A minimised window draws its icon centred in the client area.
void CVantorDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        int cxIcon = ::GetSystemMetrics(SM_CXICON);
        int cyIcon = ::GetSystemMetrics(SM_CYICON);
        RECT rect;
        GetClientRect(&rect);
        int x = (rect.right - rect.left - cxIcon + 1) / 2;
        int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialogEx::OnPaint();
    }
}

HCURSOR CVantorDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
