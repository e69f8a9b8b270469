// CToolTipCtrl: tips shown while the pointer rests on a control. AddTool gives a control of the
// tool tip's window its tip; the platform shows it itself, so no mouse messages need relaying.
#pragma once
#include "platform/ui/window.h"

class CToolTipCtrl {
public:
    BOOL Create(CWnd* pParentWnd);
    BOOL AddTool(CWnd* pWnd, LPCSTR lpszText);  // GBK text; replaces the control's tip

private:
    CWnd* m_pParent = nullptr;
};
