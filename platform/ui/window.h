// Windows and handles. A window is a CWnd with a widget behind it and a handle (HWND) that
// names it in a registry; a handle whose window is gone stays invalid, so SendMessage to it
// fails at once. Messages are dispatched through the class's message map (message_map.h:
// derived class first, then its bases), then to the layer's default behaviour; messages
// between threads are in messages.h.
#pragma once
#include <atomic>

#include "platform/core/cstring.h"
#include "platform/core/except.h"
#include "platform/core/wintypes.h"
#include "platform/ui/message_map.h"
#include "platform/ui/messages.h"

class CWnd;
class CFont;
class CMenu;
class CDC;
class QWidget;

// What a kind of control does itself with a message no map entry took (its window class's
// procedure): true when it handled the message, with its result in `result`. Besides the
// platform's messages it answers WM_KV_GETTEXT, whose lParam is the CString* to fill and whose
// wParam is the code page (CP_ACP: GBK, '?' for characters GBK lacks; CP_UTF8: UTF-8, every
// character kept), and EM_KV_SETCODEPAGE: the receive display reads its bytes in the code
// page wParam (CP_ACP or CP_UTF8) from now on, re-indexing what it shows. WM_KV_SETTEXT sets
// a control's text from lParam (const char*) in the code page wParam, so that UTF-8 text keeps
// the characters GBK lacks. EM_KV_FOLLOWEND: with wParam TRUE (the default) the receive
// display, when at its end, stays there as what it shows grows; FALSE leaves it where it is.
// EM_KV_SETANSI: with wParam TRUE the receive display reads CSI escape sequences (hidden; SGR
// ones colour the text), FALSE (the default) shows ESC as a marker. EM_KV_SETHIGHLIGHTS: the
// receive display colours what the rules in lParam (const LogHighlights*; nullptr: none) match.
typedef bool (*CONTROLPROC)(CWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
#define WM_KV_GETTEXT 0x03F0
#define EM_KV_SETCODEPAGE 0x03F1
#define WM_KV_SETTEXT 0x03F6
#define EM_KV_FOLLOWEND 0x03F7
#define EM_KV_SETANSI 0x03FC
#define EM_KV_SETHIGHLIGHTS 0x03FD

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The handle, read afresh by other threads: NULL while no window exists.
    std::atomic<HWND> m_hWnd{nullptr};
    HWND GetSafeHwnd() const { return m_hWnd.load(); }
    static CWnd* FromHandle(HWND hWnd);  // UI thread

    // An invisible window that only receives messages (tests and helpers use it).
    BOOL CreateMessageOnly();
    BOOL DestroyWindow();

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // Window operations (UI thread).
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    void GetWindowRect(LPRECT lpRect) const;  // screen coordinates, frame included
    void GetClientRect(LPRECT lpRect) const;
    void ScreenToClient(LPRECT lpRect) const;
    void ScreenToClient(POINT* lpPoint) const;
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void UpdateWindow();
    void SetWindowText(LPCSTR lpszString);
    void SetWindowText(LPCSTR lpszString, UINT nCodePage);  // CP_ACP as above, or CP_UTF8
    void GetWindowText(CString& rString) const;
    // The text in a code page: CP_ACP as above, CP_UTF8 for UTF-8 with every character kept
    // (a multi-line edit's line breaks as CR LF either way).
    void GetWindowText(CString& rString, UINT nCodePage) const;
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    // The name assistive technology (a screen reader) gives the window, in GBK like its text;
    // the caption stays as it is. Without one a control is named by its caption, if any. A
    // sibling label with that text (colon and aligning spaces aside) becomes its label too,
    // which is how a list box is named on Linux (its name there is its current text).
    void SetAccessibleName(LPCSTR lpszName);
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    // GW_CHILD: the first child in Z order; GW_HWNDNEXT: the next sibling.
    CWnd* GetWindow(UINT nCmd) const;
    CWnd* GetParent() const;
    CWnd* SetFocus();
    virtual CMenu* GetSystemMenu(BOOL bRevert);  // a dialog's; none for other windows
    int GetScrollPos(int nBar) const;
    int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // Message dispatch (UI thread).
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();
    // The layer's behaviour for a message no map entry took.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Default handlers, called by derived classes as "the base class".
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    void OnSize(UINT nType, int cx, int cy);
    void OnSizing(UINT fwSide, LPRECT pRect);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnTimer(UINT_PTR nIDEvent);

    // The widget behind the window, for the layer's own use.
    QWidget* GetWidget() const { return m_pWidget; }

    // Layer use: gives this CWnd a handle and attaches the widget to it, with the procedure of
    // its kind of control (none for a dialog or a message-only window); or takes over the
    // handle, widget and procedure of a window another CWnd had (subclassing).
    void Attach(QWidget* pWidget, int nID, CONTROLPROC pfnControlProc = nullptr);
    void Subclass(CWnd& from);
    void Detach();

protected:
    QWidget* m_pWidget = nullptr;
    int m_nID = 0;
    CONTROLPROC m_pfnControlProc = nullptr;
};

#define GW_HWNDNEXT 2
#define GW_CHILD 5
