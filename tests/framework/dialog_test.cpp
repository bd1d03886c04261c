#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/about_dlg.h"
#include "app/resource.h"
#include "framework/afxdialog.h"
#include "framework/afxwinapp.h"
#include "framework/ui_hooks.h"

namespace {

// A dialog on the main template with a handler of each kind the program's message map uses.
class ProbeDlg : public CDialogEx {
public:
    ProbeDlg() : CDialogEx(IDD_VANTOR_DIALOG) {}

    CStatic m_stCurrent;
    CProgressCtrl m_progress;
    CButton m_btnUpdate;

    std::function<void(ProbeDlg &)> whenOpen;
    int clicks = 0;
    int closes = 0;
    std::vector<UINT> sysCommands;
    HICON dragIcon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32516));

    BOOL OnInitDialog() override {
        CDialogEx::OnInitDialog();
        if (whenOpen) whenOpen(*this);
        return TRUE;
    }

protected:
    void DoDataExchange(CDataExchange *pDX) override {
        DDX_Control(pDX, IDC_CURRENT_VERSION, m_stCurrent);
        DDX_Control(pDX, IDC_PROGRESS, m_progress);
        DDX_Control(pDX, IDC_UPDATE, m_btnUpdate);
    }
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam) {
        sysCommands.push_back(nID);
        CDialogEx::OnSysCommand(nID, lParam);
    }
    afx_msg HCURSOR OnQueryDragIcon() { return dragIcon; }
    afx_msg void OnBnClickedUpdate() { ++clicks; }
    afx_msg void OnClose() {
        ++closes;
        Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProbeDlg, CDialogEx)
    ON_WM_SYSCOMMAND()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_UPDATE, &ProbeDlg::OnBnClickedUpdate)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CString TextOf(HWND window) {
    CWnd wrapper;
    wrapper.m_hWnd = window;
    CString text;
    wrapper.GetWindowText(text);
    wrapper.m_hWnd = nullptr;
    return text;
}

CString ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return CString(name).MakeLower();
}

}  // namespace

TEST(Dialog, ModelessCreateBindsTheTemplatesControls) {
    ProbeDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_VANTOR_DIALOG));
    EXPECT_EQ(TextOf(dlg.m_hWnd), L"Vantor");
    EXPECT_EQ(dlg.m_btnUpdate.m_hWnd, ::GetDlgItem(dlg.m_hWnd, IDC_UPDATE));
    EXPECT_EQ(dlg.m_stCurrent.m_hWnd, ::GetDlgItem(dlg.m_hWnd, IDC_CURRENT_VERSION));
    EXPECT_EQ(dlg.m_progress.m_hWnd, ::GetDlgItem(dlg.m_hWnd, IDC_PROGRESS));
    ASSERT_NE(dlg.m_btnUpdate.m_hWnd, nullptr);

    // Template order is tab order.
    struct Expected {
        int id;
        const wchar_t *className;
        const wchar_t *text;
    } expected[] = {{IDC_UPDATE, L"button", L"Update"},        {IDC_CURRENT_VERSION, L"static", L"Static"},
                    {IDC_OBJECT_VERSION, L"static", L"Static"}, {-1, L"static", L"Current:"},
                    {-1, L"static", L"Object:"},               {IDC_PROGRESS, L"msctls_progress32", L""},
                    {IDC_STATUS, L"static", L"Static"}};
    HWND child = ::GetWindow(dlg.m_hWnd, GW_CHILD);
    for (const Expected &e : expected) {
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(static_cast<int>(static_cast<short>(::GetDlgCtrlID(child))), e.id);
        EXPECT_EQ(ClassOf(child), e.className);
        EXPECT_EQ(TextOf(child), e.text);
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);

    dlg.m_stCurrent.SetWindowText(L"Led ver.: 1A03\tLoder ver.: 0102");
    CString text;
    dlg.m_stCurrent.GetWindowText(text);
    EXPECT_EQ(text, L"Led ver.: 1A03\tLoder ver.: 0102");
    EXPECT_TRUE(dlg.m_btnUpdate.IsWindowEnabled());
    dlg.m_btnUpdate.EnableWindow(FALSE);
    EXPECT_FALSE(dlg.m_btnUpdate.IsWindowEnabled());
}

TEST(Dialog, ProgressRangeAndPosition) {
    ProbeDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_VANTOR_DIALOG));
    dlg.m_progress.SetRange(0, 100);
    EXPECT_EQ(dlg.m_progress.SetPos(40), 0);
    EXPECT_EQ(dlg.m_progress.SetPos(100), 40);
    EXPECT_EQ(dlg.m_progress.GetPos(), 100);
    int lower = -1, upper = -1;
    dlg.m_progress.GetRange(lower, upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 100);
}

TEST(Dialog, MessageMapDispatchesClicksAndReturnsDragIcon) {
    ProbeDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_VANTOR_DIALOG));
    ::SendMessageW(dlg.m_btnUpdate.m_hWnd, BM_CLICK, 0, 0);
    EXPECT_EQ(dlg.clicks, 1);
    // A command of another control finds no entry.
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_STATUS, BN_CLICKED), 0);
    EXPECT_EQ(dlg.clicks, 1);
    // The drag icon comes straight back from the dialog procedure.
    EXPECT_EQ(dlg.SendMessage(WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(dlg.dragIcon));
}

TEST(Dialog, RecreatedDialogRebindsItsControls) {
    ProbeDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_VANTOR_DIALOG));
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    ASSERT_TRUE(dlg.Create(IDD_VANTOR_DIALOG));
    EXPECT_EQ(dlg.m_btnUpdate.m_hWnd, ::GetDlgItem(dlg.m_hWnd, IDC_UPDATE));
}

TEST(Dialog, DestroyingTheObjectClosesAModelessWindow) {
    HWND window = nullptr;
    {
        ProbeDlg dlg;
        ASSERT_TRUE(dlg.Create(IDD_VANTOR_DIALOG));
        window = dlg.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(window));
}

TEST(ModalDialog, CloseWithDefaultEndsAsCancelled) {
    ProbeDlg dlg;
    dlg.whenOpen = [](ProbeDlg &d) { ::PostMessageW(d.m_hWnd, WM_CLOSE, 0, 0); };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.closes, 1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(ModalDialog, SystemCloseGetsDefaultProcessingAndReachesOnClose) {
    ProbeDlg dlg;
    dlg.whenOpen = [](ProbeDlg &d) { ::PostMessageW(d.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0); };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.sysCommands, std::vector<UINT>{SC_CLOSE});
    EXPECT_EQ(dlg.closes, 1);
}

TEST(ModalDialog, OkAndCancelEndWithTheirCodesWithoutOnClose) {
    for (int command : {IDOK, IDCANCEL}) {
        ProbeDlg dlg;
        dlg.whenOpen = [command](ProbeDlg &d) { ::PostMessageW(d.m_hWnd, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0); };
        EXPECT_EQ(dlg.DoModal(), command);
        EXPECT_EQ(dlg.closes, 0);
    }
}

TEST(ModalDialog, EscapeOnTheFocusedControlCancels) {
    ProbeDlg dlg;
    dlg.whenOpen = [](ProbeDlg &d) {
        ::SetFocus(d.m_btnUpdate.m_hWnd);
        ::PostMessageW(d.m_btnUpdate.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageW(d.m_btnUpdate.m_hWnd, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.closes, 0);
}

TEST(ModalDialog, WithoutParentTheMainWindowOwnsIt) {
    CWinApp app;
    ProbeDlg main;
    ASSERT_TRUE(main.Create(IDD_VANTOR_DIALOG));
    app.m_pMainWnd = &main;
    CAboutDlg about;
    ASSERT_TRUE(about.Create(IDD_ABOUTBOX));
    EXPECT_EQ(::GetWindow(about.m_hWnd, GW_OWNER), main.m_hWnd);
}

TEST(MessageBoxHook, RecordsInsteadOfShowing) {
    ProbeDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_VANTOR_DIALOG));
    HWND owner = nullptr;
    CString text, caption;
    UINT type = 0;
    SetMessageBoxHook([&](HWND o, const CString &t, const CString &c, UINT ty) {
        owner = o;
        text = t;
        caption = c;
        type = ty;
        return IDOK;
    });
    EXPECT_EQ(dlg.MessageBox(L"Update Success!", L"Vantor", MB_OK | MB_TOPMOST), IDOK);
    SetMessageBoxHook(nullptr);
    EXPECT_EQ(owner, dlg.m_hWnd);
    EXPECT_EQ(text, L"Update Success!");
    EXPECT_EQ(caption, L"Vantor");
    EXPECT_EQ(type, static_cast<UINT>(MB_OK | MB_TOPMOST));
}

TEST(AboutBox, TextsComeOutOfTheUtf8Script) {
    CAboutDlg about;
    ASSERT_TRUE(about.Create(IDD_ABOUTBOX));
    EXPECT_EQ(TextOf(about.m_hWnd), L"\u95DC\u65BC Vantor");
    EXPECT_EQ(TextOf(::GetDlgItem(about.m_hWnd, IDOK)), L"\u78BA\u5B9A");
    bool versionLine = false;
    for (HWND child = ::GetWindow(about.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        versionLine |= TextOf(child) == L"Vantor, 1.0 \u7248";
    EXPECT_TRUE(versionLine);
    HWND iconStatic = ::GetWindow(about.m_hWnd, GW_CHILD);
    EXPECT_NE(::SendMessageW(iconStatic, STM_GETICON, 0, 0), 0);

    CString menuText;
    ASSERT_TRUE(menuText.LoadString(IDS_ABOUTBOX));
    EXPECT_EQ(menuText, L"\u95DC\u65BC Vantor(&A)...");
}
