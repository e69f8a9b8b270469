// CWnd: handles, the message map's dispatch, timers and the layer's default behaviour.
#include "platform/ui/window.h"

#include <QWidget>
#include <algorithm>

#include "platform/ui/font.h"
#include "platform/ui/qtext.h"
#include "platform/ui/timer.h"
#include "platform/ui/window_p.h"

namespace kvimpl {

LRESULT Dispatch(CWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        return pWnd->WindowProc(msg, wParam, lParam);
    } catch (CException* e) {
        e->ReportError();
        e->Delete();
        return 0;
    }
}

bool IsTopLevel(const CWnd* pWnd) { return pWnd->GetWidget() && !pWnd->GetParent(); }

}  // namespace kvimpl

// ---- CWnd: handles and dispatch --------------------------------------------------------

CWnd::CWnd() = default;

CWnd::~CWnd() { Detach(); }

CWnd* CWnd::FromHandle(HWND hWnd) { return kvimpl::LookupWindow(hWnd); }

void CWnd::Attach(QWidget* w, int nID, CONTROLPROC pfnControlProc) {
    m_pWidget = w;
    m_nID = nID;
    m_pfnControlProc = pfnControlProc;
    HWND h = kvimpl::RegisterWindow(this);
    m_hWnd = h;
    if (w) {
        kvimpl::SetWidgetHandle(w, h);
        // The id as the widget's name, so that data exchange finds a control by its id
        // without asking every sibling for its handle (ddx.cpp).
        if (nID) w->setObjectName(QStringLiteral("kv_id_") + QString::number(nID));
    }
}

void CWnd::Detach() {
    HWND h = m_hWnd.exchange(nullptr);
    if (h) kvimpl::UnregisterWindow(h);
    m_pWidget = nullptr;
    m_pfnControlProc = nullptr;
}

BOOL CWnd::CreateMessageOnly() {
    if (m_hWnd) return FALSE;
    Attach(nullptr, 0);
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    QWidget* w = kvimpl::WidgetOf(this);
    Detach();
    delete w;
    return TRUE;
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void*) {
    HWND hWnd = m_hWnd;
    if (!hWnd) return 0;
    kvimpl::StartTimer(hWnd, nIDEvent, nElapse, [hWnd, nIDEvent] {
        if (CWnd* w = kvimpl::LookupWindow(hWnd)) kvimpl::Dispatch(w, WM_TIMER, nIDEvent, 0);
    });
    return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return kvimpl::StopTimer(m_hWnd, nIDEvent); }

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessage(m_hWnd, msg, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessage(m_hWnd, msg, wParam, lParam);
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}
const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    UINT code = message == WM_COMMAND ? HIWORD(wParam) : 0;
    UINT id = message == WM_COMMAND ? LOWORD(wParam) : 0;
    if (message == WM_COMMAND && code == 1 && lParam == 0) code = 0;  // an accelerator: a command
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage != message) continue;
            if (message == WM_COMMAND &&
                (e->nCode != code || id < e->nID || id > std::max(e->nID, e->nLastID)))
                continue;
            return e->pfn(this, wParam, lParam);
        }
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // What a control does itself (its text, edit messages), whoever wraps it.
    LRESULT r = 0;
    if (m_pfnControlProc && m_pfnControlProc(this, message, wParam, lParam, r)) return r;
    QWidget* w = kvimpl::WidgetOf(this);
    switch (message) {
        case WM_SETFONT:
            if (w && wParam) {
                w->setFont(*kvimpl::QFontOf(reinterpret_cast<HFONT>(wParam)));
                if (lParam) w->update();
            }
            return 0;
        // A window's text is its title.
        case WM_SETTEXT:
            if (!w) return FALSE;
            if (w->isWindow())
                w->setWindowTitle(kvimpl::FromGbk(CString(reinterpret_cast<LPCSTR>(lParam))));
            return TRUE;
        case WM_KV_GETTEXT:
            if (w && w->isWindow())
                *reinterpret_cast<CString*>(lParam) = wParam == CP_UTF8
                                                          ? kvimpl::ToUtf8(w->windowTitle())
                                                          : kvimpl::ToGbk(w->windowTitle());
            return 0;
        case WM_SYSCOMMAND:
            OnSysCommand((UINT)wParam, lParam);
            return 0;
        case WM_SIZING:
            return TRUE;
        case WM_QUERYDRAGICON:
        case WM_CTLCOLOR:
        default:
            return 0;
    }
}

void CWnd::OnPaint() {}
void CWnd::OnSize(UINT, int, int) {}
void CWnd::OnSizing(UINT, LPRECT) {}
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return nullptr; }
void CWnd::OnTimer(UINT_PTR) {}

void CWnd::Subclass(CWnd& from) {
    if (&from == this) return;
    m_pWidget = from.m_pWidget;
    m_nID = from.m_nID;
    m_pfnControlProc = from.m_pfnControlProc;
    HWND h = from.m_hWnd.exchange(nullptr);
    from.m_pWidget = nullptr;
    from.m_pfnControlProc = nullptr;
    m_hWnd = h;
    kvimpl::ReassignWindow(h, this);
}
