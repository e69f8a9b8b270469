// Drawing contexts: the colour a label's text is drawn in (WM_CTLCOLOR), and icons drawn on a
// window in its paint handler. An icon handle (HICON) is the layer's icon itself.
#pragma once
#include "platform/core/wintypes.h"

class CWnd;
class QIcon;
class QPainter;

int GetSystemMetrics(int nIndex);  // SM_CXICON, SM_CYICON: the size icons are drawn at

class CDC {
public:
    COLORREF SetTextColor(COLORREF crColor);
    COLORREF GetTextColor() const { return m_textColor; }
    bool HasTextColor() const { return m_hasTextColor; }
    QPainter* GetSafeHdc() const { return m_pPainter; }
    BOOL DrawIcon(int x, int y, HICON hIcon);

protected:
    COLORREF m_textColor = 0;
    bool m_hasTextColor = false;
    QPainter* m_pPainter = nullptr;  // while painting
};

// The context of a window's paint handler.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
};

namespace kvimpl {
const QIcon* QIconOf(HICON hIcon);
// The painter of the paint handler running now (nullptr outside one); a window's paint event
// sets it around its WM_PAINT and gets back the one it replaces.
QPainter* SetCurrentPainter(QPainter* pPainter);
}  // namespace kvimpl
