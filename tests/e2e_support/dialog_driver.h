// Drives the program's windows from another process, as a user would: finds the main
// dialog, the About box and message boxes, reads the controls, clicks and closes.
// Nothing here blocks on a busy program: messages that need an answer time out, clicks
// and keys are posted.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

constexpr wchar_t kMainCaption[] = L"Vantor";
constexpr wchar_t kAboutCaption[] = L"\x95DC\x65BC Vantor";  // "關於 Vantor"
constexpr wchar_t kMessageBoxCaption[] = L"Vantor";
constexpr UINT kAboutCommand = 0x0010;
constexpr int kUpdateButton = 1000;
constexpr int kCurrentVersion = 1006;
constexpr int kObjectVersion = 1007;
constexpr int kProgressBar = 1008;
constexpr int kStatusLine = 1009;

// Polls `condition` every `pollMs` until it holds or `timeoutMs` passed.
bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs, DWORD pollMs = 20);

// Top-level dialog windows (class "#32770") of process `pid` (0: of any process) whose
// caption is `caption`, visible or not.
std::vector<HWND> FindDialogs(DWORD pid, const std::wstring &caption);
// The main dialog: caption "Vantor" and an Update button. Null when it did not appear.
HWND FindMainDialog(DWORD pid);
HWND WaitForMainDialog(DWORD pid, DWORD timeoutMs);
// The About box, caption "關於 Vantor".
HWND WaitForAboutBox(DWORD pid, DWORD timeoutMs);
// A message box: caption "Vantor" and no Update button.
HWND FindMessageBox(DWORD pid);
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs);
// Whether `window` still exists (it disappears when its dialog ends).
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

std::wstring WindowText(HWND window);
std::wstring WindowClass(HWND window);
std::wstring ControlText(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
bool WaitForControlText(HWND dialog, int id, const std::wstring &text, DWORD timeoutMs);
// The progress bar's position (PBM_GETPOS) and range; -1 when the program does not answer.
int ProgressPosition(HWND dialog);
bool ProgressRange(HWND dialog, int *low, int *high);

struct Control {
    HWND window;
    int id;                // -1 for the template's unnamed controls (0xFFFF)
    std::wstring className;
    std::wstring text;
    LONG style;
    LONG exStyle;
    RECT rect;             // in the dialog's client coordinates
    bool visible;
    bool enabled;
};
// The dialog's child controls in window order (the template's order for a dialog).
std::vector<Control> ListControls(HWND dialog);
SIZE ClientSize(HWND window);

// Clicks a push button (posted BM_CLICK). False, and nothing sent, when the button is
// missing, hidden or disabled: Wine would click a disabled button.
bool ClickButton(HWND dialog, int id);
bool ClickUpdate(HWND dialog);
// The text of a message box (its static text) and its OK button.
std::wstring MessageBoxText(HWND box);
bool PressOk(HWND dialogOrBox);
// Posts WM_CLOSE, as the title bar's close button does.
void PostClose(HWND window);
// Posts the key to the dialog's focused control (or the dialog), where the modal loop's
// dialog manager turns Escape into IDCANCEL and Enter into a click or IDOK.
void PressKey(HWND dialog, WORD virtualKey);
inline void PressEscape(HWND dialog) { PressKey(dialog, VK_ESCAPE); }
inline void PressEnter(HWND dialog) { PressKey(dialog, VK_RETURN); }
// Posts the system-menu command that opens the About box.
void OpenAbout(HWND dialog);
// Opens the dialog's system menu from the keyboard (Alt+Space) and waits for the popup.
// Its items cannot be read from another process under Wine; keys pressed with PressKey
// move through it (VK_UP from the top wraps to the last item) and VK_RETURN chooses.
bool OpenSystemMenu(HWND dialog, DWORD timeoutMs);

}  // namespace e2e
