#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/about_dlg.h"
#include "app/globals.h"
#include "app/vantor_app.h"
#include "app/vantor_dlg.h"
#include "host/wait.h"

namespace {

// The main dialog without its start-up checks: only the base's control binding runs.
class ShellOnlyDlg : public CVantorDlg {
public:
    HICON Icon() const { return m_hIcon; }

protected:
    BOOL OnInitDialog() override { return CDialogEx::OnInitDialog(); }
};

CString TextOf(HWND window) {
    wchar_t text[128] = {};
    ::GetWindowTextW(window, text, 128);
    return CString(text);
}

}  // namespace

TEST(VantorDlg, StartsWithZeroVersionsAndTheProgramIcon) {
    ShellOnlyDlg dlg;
    EXPECT_EQ(dlg.m_ledVerF, 0);
    EXPECT_EQ(dlg.m_ledVerS, 0);
    EXPECT_EQ(dlg.m_loaderVerF, 0);
    EXPECT_EQ(dlg.m_loaderVerS, 0);
    EXPECT_TRUE(dlg.m_strCmdLine.IsEmpty());
    EXPECT_EQ(dlg.Icon(), ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME)));
    EXPECT_NE(dlg.Icon(), nullptr);
}

TEST(VantorDlg, BindsEachMemberToItsControl) {
    ShellOnlyDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_VANTOR_DIALOG));
    EXPECT_EQ(dlg.m_stCurrent.m_hWnd, ::GetDlgItem(dlg.m_hWnd, IDC_CURRENT_VERSION));
    EXPECT_EQ(dlg.m_stObject.m_hWnd, ::GetDlgItem(dlg.m_hWnd, IDC_OBJECT_VERSION));
    EXPECT_EQ(dlg.m_stStatus.m_hWnd, ::GetDlgItem(dlg.m_hWnd, IDC_STATUS));
    EXPECT_EQ(dlg.m_progress.m_hWnd, ::GetDlgItem(dlg.m_hWnd, IDC_PROGRESS));
    EXPECT_EQ(dlg.m_btnUpdate.m_hWnd, ::GetDlgItem(dlg.m_hWnd, IDC_UPDATE));
    EXPECT_NE(dlg.m_stCurrent.m_hWnd, nullptr);
}

TEST(VantorDlg, DragIconIsTheProgramIcon) {
    ShellOnlyDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_VANTOR_DIALOG));
    EXPECT_EQ(dlg.SendMessage(WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(dlg.Icon()));
}

TEST(VantorDlg, AboutCommandOpensTheAboutBoxOverTheDisabledMainWindow) {
    ShellOnlyDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_VANTOR_DIALOG));
    CWinApp app;  // as in the program, the main dialog is the application's main window
    app.m_pMainWnd = &dlg;
    for (WPARAM command : {WPARAM{IDM_ABOUTBOX}, WPARAM{IDM_ABOUTBOX | 0x000F}}) {
        std::atomic<HWND> owner{nullptr};
        std::atomic<bool> mainEnabled{true};
        CString title, version, ok;
        // The About box runs modally inside the handler: look at it from another thread, then press OK.
        std::thread closer([&] {
            HWND about = nullptr;
            for (int i = 0; i < 200 && !about; ++i) {
                ::Sleep(25);
                about = ::FindWindowW(nullptr, L"\u95DC\u65BC Vantor");
            }
            if (!about) return;
            owner = ::GetWindow(about, GW_OWNER);
            mainEnabled = ::IsWindowEnabled(dlg.m_hWnd) != FALSE;
            title = TextOf(about);
            ok = TextOf(::GetDlgItem(about, IDOK));
            ::PostMessageW(about, WM_COMMAND, IDOK, 0);
        });
        dlg.SendMessage(WM_SYSCOMMAND, command, 0);
        closer.join();
        EXPECT_EQ(owner.load(), dlg.m_hWnd);
        EXPECT_FALSE(mainEnabled.load());
        EXPECT_EQ(title, L"\u95DC\u65BC Vantor");
        EXPECT_EQ(ok, L"\u78BA\u5B9A");
        EXPECT_TRUE(::IsWindowEnabled(dlg.m_hWnd));
        EXPECT_EQ(::FindWindowW(nullptr, L"\u95DC\u65BC Vantor"), nullptr);
    }
}

TEST(VantorDlg, OtherSystemCommandsGetDefaultProcessing) {
    ShellOnlyDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_VANTOR_DIALOG));
    dlg.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(dlg.IsIconic());
    ::UpdateWindow(dlg.m_hWnd);  // the minimised paint draws the icon and returns
    dlg.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(dlg.IsIconic());
    EXPECT_EQ(::FindWindowW(nullptr, L"\u95DC\u65BC Vantor"), nullptr);
}

TEST(VantorApp, SecondCopyEndsSilently) {
    HANDLE first = ::CreateMutexW(nullptr, TRUE, L"Vantor");
    ASSERT_NE(first, nullptr);
    CVantorApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_NE(g_instanceMutex, nullptr);  // the open found the first copy's mutex
    EXPECT_EQ(app.m_pMainWnd, nullptr);   // no dialog was made
    EXPECT_EQ(::FindWindowW(nullptr, L"Vantor"), nullptr);
    ::CloseHandle(g_instanceMutex);
    g_instanceMutex = nullptr;
    ::CloseHandle(first);
}

TEST(VantorApp, TheDialogIsTheMainWindowUntilItEnds) {
    // The start-up checks run inside: their log goes to the temporary folder, no wait is slept,
    // and what they leave is removed afterwards.
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    ::SetCurrentDirectoryW(folder);
    SetWaitRecorder([](DWORD) {});

    CVantorApp app;
    std::atomic<bool> mainWindowWhileOpen{false};
    // Escape ends the dialog through its cancel handling, as a user could.
    std::thread closer([&] {
        HWND main = nullptr;
        for (int i = 0; i < 400 && !(main && ::IsWindowVisible(main)); ++i) {
            ::Sleep(25);
            main = ::FindWindowW(nullptr, L"Vantor");
        }
        if (!main) return;
        mainWindowWhileOpen = app.m_pMainWnd && app.m_pMainWnd->m_hWnd == main;
        ::PostMessageW(main, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(app.InitInstance());
    closer.join();
    SetWaitRecorder(nullptr);
    ::DeleteFileW(L"Update Vantor.log");
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QYX\\Tessaly Series\\LED");
    ::SetCurrentDirectoryW(previous);
    ::CloseHandle(g_instanceMutex);
    g_instanceMutex = nullptr;

    EXPECT_TRUE(mainWindowWhileOpen.load());
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}
