#include "platform/ui/dc.h"

#include <QIcon>
#include <QPainter>

namespace {
QPainter* g_currentPainter = nullptr;
}

QPainter* kvimpl::SetCurrentPainter(QPainter* pPainter) {
    QPainter* old = g_currentPainter;
    g_currentPainter = pPainter;
    return old;
}

const QIcon* kvimpl::QIconOf(HICON h) { return reinterpret_cast<const QIcon*>(h); }

int GetSystemMetrics(int nIndex) {
    switch (nIndex) {
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        default:
            return 0;
    }
}

COLORREF CDC::SetTextColor(COLORREF c) {
    COLORREF old = m_textColor;
    m_textColor = c;
    m_hasTextColor = true;
    return old;
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    const QIcon* icon = kvimpl::QIconOf(hIcon);
    if (!m_pPainter || !icon) return FALSE;
    int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    m_pPainter->drawPixmap(x, y, icon->pixmap(cx, cy));
    return TRUE;
}

CPaintDC::CPaintDC(CWnd*) { m_pPainter = g_currentPainter; }
