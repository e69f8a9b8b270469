// Tool tips on controls.
#include "platform/ui/tooltip.h"

#include <QWidget>

#include "platform/ui/qtext.h"
#include "platform/ui/window_p.h"

BOOL CToolTipCtrl::Create(CWnd* pParentWnd) {
    m_pParent = pParentWnd;
    return pParentWnd != nullptr;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCSTR lpszText) {
    QWidget* w = pWnd ? kvimpl::WidgetOf(pWnd) : nullptr;
    if (!m_pParent || !w) return FALSE;
    w->setToolTip(kvimpl::FromGbk(CString(lpszText ? lpszText : "")));
    return TRUE;
}
