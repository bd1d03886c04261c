// Message maps: a static table per window class, searched from the most derived class to its
// bases. Each entry carries a small adapter that cracks WPARAM/LPARAM and calls the member.
#pragma once

#include <windows.h>

#define afx_msg

class CWnd;

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;  // WM_COMMAND only: notification code
    UINT nID;    // WM_COMMAND only: control or command id
    void (*pfnHandler)(CWnd *wnd, WPARAM wParam, LPARAM lParam, LRESULT *result);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP *(*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY *lpEntries;  // ends with an entry whose handler is null
};

#define DECLARE_MESSAGE_MAP()                         \
protected:                                            \
    static const AFX_MSGMAP *GetThisMessageMap();     \
    const AFX_MSGMAP *GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                          \
    const AFX_MSGMAP *theClass::GetMessageMap() const { return GetThisMessageMap(); }  \
    const AFX_MSGMAP *theClass::GetThisMessageMap() {                                   \
        using ThisClass [[maybe_unused]] = theClass;                                    \
        using TheBaseClass = baseClass;                                                 \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                      \
            {0, 0, 0, nullptr}};                                               \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                           \
    }

#define ON_WM_SYSCOMMAND()                                                                   \
    {WM_SYSCOMMAND, 0, 0, [](CWnd *wnd, WPARAM wParam, LPARAM lParam, LRESULT *) {           \
         static_cast<ThisClass *>(wnd)->OnSysCommand(static_cast<UINT>(wParam), lParam);     \
     }},

#define ON_WM_PAINT() \
    {WM_PAINT, 0, 0, [](CWnd *wnd, WPARAM, LPARAM, LRESULT *) { static_cast<ThisClass *>(wnd)->OnPaint(); }},

#define ON_WM_CLOSE() \
    {WM_CLOSE, 0, 0, [](CWnd *wnd, WPARAM, LPARAM, LRESULT *) { static_cast<ThisClass *>(wnd)->OnClose(); }},

#define ON_WM_QUERYDRAGICON()                                                                         \
    {WM_QUERYDRAGICON, 0, 0, [](CWnd *wnd, WPARAM, LPARAM, LRESULT *result) {                         \
         *result = reinterpret_cast<LRESULT>(static_cast<ThisClass *>(wnd)->OnQueryDragIcon());       \
     }},

// A command from a menu, an accelerator or a button click (notification code 0).
#define ON_COMMAND(id, memberFxn)                                                          \
    {WM_COMMAND, 0, static_cast<UINT>(id),                                                 \
     [](CWnd *wnd, WPARAM, LPARAM, LRESULT *) { (static_cast<ThisClass *>(wnd)->*(memberFxn))(); }},

#define ON_BN_CLICKED(id, memberFxn)                                                       \
    {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id),                                        \
     [](CWnd *wnd, WPARAM, LPARAM, LRESULT *) { (static_cast<ThisClass *>(wnd)->*(memberFxn))(); }},
