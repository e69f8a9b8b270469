// CWnd operations on the widget behind a window: geometry, visibility, text, fonts.
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QWidget>
#include <unordered_map>

#include "platform/ui/dc.h"
#include "platform/ui/font.h"
#include "platform/ui/label_name.h"
#include "platform/ui/qtext.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

namespace kvimpl {

QWidget* WidgetOf(const CWnd* pWnd) {
    return pWnd ? static_cast<QWidget*>(pWnd->GetWidget()) : nullptr;
}

namespace {
// The handle of each widget that has one (widgets live on the UI thread only). Looked up for
// every control many times while a dialog is built, so not by the widget's named property.
std::unordered_map<const QWidget*, HWND>& Handles() {
    static std::unordered_map<const QWidget*, HWND> handles;
    return handles;
}
}  // namespace

void SetWidgetHandle(QWidget* w, HWND hWnd) {
    auto inserted = Handles().insert_or_assign(w, hWnd);
    if (inserted.second) QObject::connect(w, &QObject::destroyed, [w] { Handles().erase(w); });
}

HWND OwnHandleOfWidget(const QWidget* w) {
    auto it = Handles().find(w);
    return it == Handles().end() ? nullptr : it->second;
}

HWND HandleOfWidget(const QWidget* w) {
    for (; w; w = w->parentWidget())
        if (HWND h = OwnHandleOfWidget(w)) return h;
    return nullptr;
}

}  // namespace kvimpl

using kvimpl::WidgetOf;

BOOL CWnd::EnableWindow(BOOL bEnable) {
    QWidget* w = WidgetOf(this);
    if (!w) return FALSE;
    BOOL wasDisabled = !w->isEnabled();
    w->setEnabled(bEnable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
    QWidget* w = WidgetOf(this);
    return w && w->isEnabled();
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    QWidget* w = WidgetOf(this);
    if (!w) return FALSE;
    BOOL wasVisible = !w->isHidden();
    w->setVisible(nCmdShow != SW_HIDE);
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const {
    QWidget* w = WidgetOf(this);
    return w && w->isVisible();
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    QWidget* w = WidgetOf(this);
    if (!w) return;
    // Widgets have no negative extents; a client area smaller than the margins clamps to 0.
    nWidth = std::max(nWidth, 0);
    nHeight = std::max(nHeight, 0);
    // A combo box's height includes its dropped list; the widget itself is one line high.
    if (qobject_cast<QComboBox*>(w)) nHeight = std::min(nHeight, w->sizeHint().height());
    if (!w->parentWidget()) {
        // A window's size, like GetWindowRect, counts its frame; the widget's does not.
        int frameW = w->frameGeometry().width() - w->width();
        int frameH = w->frameGeometry().height() - w->height();
        w->move(x, y);
        w->resize(std::max(nWidth - frameW, 0), std::max(nHeight - frameH, 0));
    } else
        w->setGeometry(x, y, nWidth, nHeight);
    if (bRepaint) w->update();
}

void CWnd::MoveWindow(LPCRECT r, BOOL bRepaint) {
    MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, bRepaint);
}

void CWnd::GetWindowRect(LPRECT r) const {
    QWidget* w = WidgetOf(this);
    if (!w) {
        *r = RECT{0, 0, 0, 0};
        return;
    }
    QRect g;
    if (!w->parentWidget()) {
        g = w->frameGeometry();  // the whole window, frame included
    } else {
        QPoint p = w->mapToGlobal(QPoint(0, 0));
        g = QRect(p, w->size());
    }
    *r = RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void CWnd::GetClientRect(LPRECT r) const {
    QWidget* w = WidgetOf(this);
    if (!w || (!w->parentWidget() && w->isMinimized())) {
        *r = RECT{0, 0, 0, 0};  // a minimised window has no client area
        return;
    }
    *r = RECT{0, 0, w->width(), w->height()};
}

void CWnd::ScreenToClient(POINT* p) const {
    QWidget* w = WidgetOf(this);
    if (!w) return;
    QPoint o = w->mapToGlobal(QPoint(0, 0));
    p->x -= o.x();
    p->y -= o.y();
}

void CWnd::ScreenToClient(LPRECT r) const {
    POINT a{r->left, r->top}, b{r->right, r->bottom};
    ScreenToClient(&a);
    ScreenToClient(&b);
    *r = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL) {
    QWidget* w = WidgetOf(this);
    if (!w) return;
    if (lpRect)
        w->update(QRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                        lpRect->bottom - lpRect->top));
    else
        w->update();
}

void CWnd::UpdateWindow() {
    QWidget* w = WidgetOf(this);
    if (w && w->isVisible()) w->repaint();
}

// Text and font go to the window's own procedure, not through the message map: they are what
// the window does itself, whatever kind of control it is.
void CWnd::SetWindowText(LPCSTR text) {
    if (!WidgetOf(this)) return;
    DefWindowProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}

void CWnd::SetWindowText(LPCSTR text, UINT nCodePage) {
    if (!WidgetOf(this)) return;
    DefWindowProc(WM_KV_SETTEXT, nCodePage, reinterpret_cast<LPARAM>(text ? text : ""));
}

void CWnd::SetAccessibleName(LPCSTR lpszName) {
    QWidget* w = WidgetOf(this);
    if (!w) return;
    w->setAccessibleName(kvimpl::FromGbk(CString(lpszName ? lpszName : "")));
    if (!qobject_cast<QLabel*>(w)) kvimpl::LabelByName(w, w->accessibleName());
    auto* cb = qobject_cast<QComboBox*>(w);
    if (cb && cb->lineEdit()) cb->lineEdit()->setAccessibleName(w->accessibleName());
}

void CWnd::GetWindowText(CString& s) const { GetWindowText(s, CP_ACP); }

void CWnd::GetWindowText(CString& s, UINT nCodePage) const {
    s.Empty();
    if (WidgetOf(this))
        const_cast<CWnd*>(this)->DefWindowProc(WM_KV_GETTEXT, nCodePage,
                                               reinterpret_cast<LPARAM>(&s));
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
    if (!WidgetOf(this) || !pFont || !pFont->IsCreated()) return;
    DefWindowProc(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(*pFont)), bRedraw);
}

// The vertical position of a scrolling view (an edit, the log view) is its first visible row.
int CWnd::GetScrollPos(int nBar) const {
    auto* area = qobject_cast<QAbstractScrollArea*>(WidgetOf(this));
    return nBar == SB_VERT && area ? area->verticalScrollBar()->value() : 0;
}

int CWnd::SetScrollPos(int nBar, int nPos, BOOL) {
    auto* area = qobject_cast<QAbstractScrollArea*>(WidgetOf(this));
    if (nBar != SB_VERT || !area) return 0;
    int old = area->verticalScrollBar()->value();
    area->verticalScrollBar()->setValue(nPos);
    return old;
}

BOOL CWnd::IsIconic() const {
    QWidget* w = WidgetOf(this);
    return w && w->window()->isMinimized();
}

BOOL CWnd::IsZoomed() const {
    QWidget* w = WidgetOf(this);
    return w && w->window()->isMaximized();
}

CWnd* CWnd::GetDlgItem(int nID) const {
    QWidget* w = WidgetOf(this);
    if (!w) return nullptr;
    for (QObject* o : w->children()) {
        QWidget* c = qobject_cast<QWidget*>(o);
        CWnd* p = c ? kvimpl::LookupWindow(kvimpl::OwnHandleOfWidget(c)) : nullptr;
        if (p && p->m_nID == nID) return p;
    }
    return nullptr;
}

int CWnd::GetDlgCtrlID() const { return m_nID; }

CWnd* CWnd::GetWindow(UINT nCmd) const {
    QWidget* w = WidgetOf(this);
    if (!w || (nCmd != GW_CHILD && nCmd != GW_HWNDNEXT)) return nullptr;
    QWidget* parent = nCmd == GW_CHILD ? w : w->parentWidget();
    if (!parent) return nullptr;
    const QObjectList& list = parent->children();
    int i = nCmd == GW_CHILD ? 0 : (int)list.indexOf(w) + 1;
    for (; i < (int)list.size(); ++i) {
        QWidget* c = qobject_cast<QWidget*>(list[i]);
        if (HWND h = c ? kvimpl::OwnHandleOfWidget(c) : nullptr) return kvimpl::LookupWindow(h);
    }
    return nullptr;
}

CWnd* CWnd::GetParent() const {
    QWidget* w = WidgetOf(this);
    if (!w || !w->parentWidget()) return nullptr;
    return kvimpl::LookupWindow(kvimpl::HandleOfWidget(w->parentWidget()));
}

CWnd* CWnd::SetFocus() {
    QWidget* w = WidgetOf(this);
    if (w) w->setFocus(Qt::OtherFocusReason);
    return nullptr;
}

CMenu* CWnd::GetSystemMenu(BOOL) { return nullptr; }

HICON CWnd::SetIcon(HICON hIcon, BOOL) {
    QWidget* w = WidgetOf(this);
    if (w && hIcon) w->setWindowIcon(*kvimpl::QIconOf(hIcon));
    return nullptr;
}

// The platform's handling of system commands: close, minimise, maximise, restore.
void CWnd::OnSysCommand(UINT nID, LPARAM) {
    QWidget* w = WidgetOf(this);
    switch (nID & 0xFFF0) {
        case SC_CLOSE:
            kvimpl::Dispatch(this, WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            if (w) w->showMinimized();
            break;
        case SC_MAXIMIZE:
            if (w) w->showMaximized();
            break;
        case SC_RESTORE:
            if (w) w->showNormal();
            break;
        default:
            break;
    }
}
