// Message maps in the framework's style: a window class lists the handlers of its messages
// (DECLARE_MESSAGE_MAP in the class, BEGIN_MESSAGE_MAP ... END_MESSAGE_MAP in its source), and
// CWnd::WindowProc looks a message up there, derived class first, then its bases.
#pragma once
#include "platform/core/wintypes.h"

class CWnd;

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;  // notification code for WM_COMMAND
    UINT nID;    // control id for WM_COMMAND
    LRESULT (*pfn)(CWnd* pWnd, WPARAM wParam, LPARAM lParam);
    UINT nLastID = 0;  // a range of control ids, nID to nLastID (0: nID alone)
};
struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                     \
public:                                           \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
        typedef theClass ThisClass;                                                   \
        typedef baseClass TheBaseClass;                                               \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                         \
    { 0, 0, 0, nullptr }                                                                          \
    }                                                                                             \
    ;                                                                                             \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                           \
    }

#define ON_COMMAND_CODE_(code, id, memberFxn)                                       \
    {WM_COMMAND, (UINT)(code), (UINT)(id), [](CWnd* w, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(w)->memberFxn();                                   \
         return 0;                                                                  \
     }},
// A notification of one control, and of any control whose id is in a range (the handler
// takes the id); a command from a menu or an accelerator (ON_COMMAND).
#define ON_CONTROL(code, id, memberFxn) ON_COMMAND_CODE_(code, id, memberFxn)
#define ON_CONTROL_RANGE(code, idFirst, idLast, memberFxn)        \
    {WM_COMMAND, (UINT)(code), (UINT)(idFirst),                   \
     [](CWnd* w, WPARAM wp, LPARAM) -> LRESULT {                  \
         static_cast<ThisClass*>(w)->memberFxn((UINT)LOWORD(wp)); \
         return 0;                                                \
     },                                                           \
     (UINT)(idLast)},
// A command from a menu (code 0) or an accelerator (code 1).
#define ON_COMMAND(id, memberFxn) \
    ON_COMMAND_CODE_(0, id, memberFxn) ON_COMMAND_CODE_(1, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND_CODE_(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_COMMAND_CODE_(EN_CHANGE, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_COMMAND_CODE_(CBN_SELCHANGE, id, memberFxn)
#define ON_MESSAGE(message, memberFxn)                                     \
    {(UINT)(message), 0, 0, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT { \
         return static_cast<ThisClass*>(w)->memberFxn(wp, lp);             \
     }},
#define ON_WM_TIMER()                                            \
    {WM_TIMER, 0, 0, [](CWnd* w, WPARAM wp, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(w)->OnTimer((UINT_PTR)wp);      \
         return 0;                                               \
     }},
#define ON_WM_SIZE()                                                          \
    {WM_SIZE, 0, 0, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {            \
         static_cast<ThisClass*>(w)->OnSize((UINT)wp, (int)(short)LOWORD(lp), \
                                            (int)(short)HIWORD(lp));          \
         return 0;                                                            \
     }},
#define ON_WM_SIZING()                                               \
    {WM_SIZING, 0, 0, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT { \
         static_cast<ThisClass*>(w)->OnSizing((UINT)wp, (LPRECT)lp); \
         return TRUE;                                                \
     }},
#define ON_WM_SYSCOMMAND()                                               \
    {WM_SYSCOMMAND, 0, 0, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT { \
         static_cast<ThisClass*>(w)->OnSysCommand((UINT)wp, lp);         \
         return 0;                                                       \
     }},
// WM_CONTEXTMENU: wParam is the window clicked, lParam the screen point (x low, y high).
#define ON_WM_CONTEXTMENU()                                                         \
    {WM_CONTEXTMENU, 0, 0, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {           \
         POINT pt{(int)(short)LOWORD(lp), (int)(short)HIWORD(lp)};                  \
         static_cast<ThisClass*>(w)->OnContextMenu(CWnd::FromHandle((HWND)wp), pt); \
         return 0;                                                                  \
     }},
#define ON_WM_PAINT()                                         \
    {WM_PAINT, 0, 0, [](CWnd* w, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(w)->OnPaint();               \
         return 0;                                            \
     }},
#define ON_WM_QUERYDRAGICON()                                            \
    {WM_QUERYDRAGICON, 0, 0, [](CWnd* w, WPARAM, LPARAM) -> LRESULT {    \
         return (LRESULT) static_cast<ThisClass*>(w)->OnQueryDragIcon(); \
     }},
// WM_CTLCOLOR: wParam is the CDC*, lParam the CWnd* of the control; the kind is static.
#define ON_WM_CTLCOLOR()                                                              \
    {WM_CTLCOLOR, 0, 0, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {                \
         return (LRESULT) static_cast<ThisClass*>(w)->OnCtlColor((CDC*)wp, (CWnd*)lp, \
                                                                 CTLCOLOR_STATIC);    \
     }},
