#include "tests/e2e_support/dialog_driver.h"

#include <commctrl.h>

namespace e2e {

namespace {

constexpr UINT kAnswerTimeoutMs = 2000;

struct DialogSearch {
    DWORD pid;
    const std::wstring *caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    auto *search = reinterpret_cast<DialogSearch *>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->pid != 0 && owner != search->pid) return TRUE;
    if (WindowClass(window) != L"#32770") return TRUE;
    if (WindowText(window) != *search->caption) return TRUE;
    search->found.push_back(window);
    return TRUE;
}

bool HasUpdateButton(HWND dialog) {
    HWND button = GetDlgItem(dialog, kUpdateButton);
    return button && WindowClass(button) == L"Button";
}

HWND WaitFor(const std::function<HWND()> &find, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = find()) != nullptr; }, timeoutMs);
    return found;
}

BOOL CALLBACK NoteShownPopupMenu(HWND window, LPARAM shown) {
    if (WindowClass(window) != L"#32768" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<bool *>(shown) = true;
    return FALSE;
}

}  // namespace

bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs, DWORD pollMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(pollMs);
    }
}

std::vector<HWND> FindDialogs(DWORD pid, const std::wstring &caption) {
    DialogSearch search = {pid, &caption, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindMainDialog(DWORD pid) {
    for (HWND dialog : FindDialogs(pid, kMainCaption)) {
        if (HasUpdateButton(dialog)) return dialog;
    }
    return nullptr;
}

HWND WaitForMainDialog(DWORD pid, DWORD timeoutMs) {
    return WaitFor([pid] {
        HWND dialog = FindMainDialog(pid);
        return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
    }, timeoutMs);
}

HWND WaitForAboutBox(DWORD pid, DWORD timeoutMs) {
    return WaitFor([pid]() -> HWND {
        for (HWND dialog : FindDialogs(pid, kAboutCaption)) {
            if (IsWindowVisible(dialog)) return dialog;
        }
        return nullptr;
    }, timeoutMs);
}

HWND FindMessageBox(DWORD pid) {
    for (HWND dialog : FindDialogs(pid, kMessageBoxCaption)) {
        if (!HasUpdateButton(dialog) && IsWindowVisible(dialog)) return dialog;
    }
    return nullptr;
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    return WaitFor([pid] { return FindMessageBox(pid); }, timeoutMs);
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([window] { return !IsWindow(window); }, timeoutMs);
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = L"";
    DWORD_PTR length = 0;
    // WM_GETTEXT asks the control itself; a program busy in a long step may not answer in
    // time, and then the text the window manager keeps is just as current.
    if (SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                            kAnswerTimeoutMs, &length)) {
        return std::wstring(text, length);
    }
    int kept = GetWindowTextW(window, text, 1024);
    return std::wstring(text, kept > 0 ? kept : 0);
}

std::wstring WindowClass(HWND window) {
    wchar_t name[256] = L"";
    int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

std::wstring ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::wstring();
}

bool ControlEnabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

bool WaitForControlText(HWND dialog, int id, const std::wstring &text, DWORD timeoutMs) {
    return WaitUntil([&] { return ControlText(dialog, id) == text; }, timeoutMs);
}

int ProgressPosition(HWND dialog) {
    HWND bar = GetDlgItem(dialog, kProgressBar);
    DWORD_PTR position = 0;
    if (!bar || !SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &position)) return -1;
    return static_cast<int>(position);
}

bool ProgressRange(HWND dialog, int *low, int *high) {
    HWND bar = GetDlgItem(dialog, kProgressBar);
    DWORD_PTR value = 0;
    if (!bar || !SendMessageTimeoutW(bar, PBM_GETRANGE, TRUE, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &value)) return false;
    *low = static_cast<int>(value);
    if (!SendMessageTimeoutW(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &value)) return false;
    *high = static_cast<int>(value);
    return true;
}

std::vector<Control> ListControls(HWND dialog) {
    std::vector<Control> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Control control;
        control.window = child;
        int id = GetDlgCtrlID(child);
        control.id = id == 0xFFFF ? -1 : id;
        control.className = WindowClass(child);
        control.text = WindowText(child);
        control.style = GetWindowLongW(child, GWL_STYLE);
        control.exStyle = GetWindowLongW(child, GWL_EXSTYLE);
        GetWindowRect(child, &control.rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&control.rect), 2);
        control.visible = IsWindowVisible(child) != 0;
        control.enabled = IsWindowEnabled(child) != 0;
        controls.push_back(control);
    }
    return controls;
}

SIZE ClientSize(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return SIZE{client.right - client.left, client.bottom - client.top};
}

bool ClickButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
    return PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

bool ClickUpdate(HWND dialog) { return ClickButton(dialog, kUpdateButton); }

std::wstring MessageBoxText(HWND box) {
    for (const Control &control : ListControls(box)) {
        bool isIcon = (control.style & SS_TYPEMASK) == SS_ICON;
        if (control.className == L"Static" && !isIcon && !control.text.empty()) return control.text;
    }
    return std::wstring();
}

bool PressOk(HWND dialogOrBox) { return ClickButton(dialogOrBox, IDOK); }

void PostClose(HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }

void PressKey(HWND dialog, WORD virtualKey) {
    DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    HWND target = dialog;
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus &&
        (info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus))) {
        target = info.hwndFocus;
    }
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(target, WM_KEYDOWN, virtualKey, scan | 1);
    PostMessageW(target, WM_KEYUP, virtualKey, scan | 1 | (1u << 30) | (1u << 31));
}

void OpenAbout(HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, kAboutCommand, 0); }

bool OpenSystemMenu(HWND dialog, DWORD timeoutMs) {
    DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    PostMessageW(dialog, WM_SYSCOMMAND, SC_KEYMENU, L' ');
    // Menu mode alone is not enough: Wine enters it first and then opens the popup with a
    // VK_RETURN it posts itself, so a key posted in between would act on the closed menu.
    return WaitUntil([thread] {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        if (!GetGUIThreadInfo(thread, &info) || !(info.flags & GUI_INMENUMODE)) return false;
        bool popupShown = false;
        EnumThreadWindows(thread, NoteShownPopupMenu, reinterpret_cast<LPARAM>(&popupShown));
        return popupShown;
    }, timeoutMs);
}

}  // namespace e2e
