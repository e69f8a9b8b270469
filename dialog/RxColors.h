// CRxColors: the receive display's colours as the options ask for them: escape sequences read
// or shown as bytes, highlight rules and sent lines' colour; and the context menu's toggle
// for reading escape sequences. The display is told only of what changed.
#pragma once
#include "options/Settings.h"
#include "platform/afx.h"

class CRxColors {
public:
    CRxColors(CWnd* pView, CKivernSettings* pSettings) : m_pView(pView), m_pSettings(pSettings) {}

    void Apply();  // tells the display of the options now
    void AppendMenu(CMenu& menu) const;
    // The menu's command, when it is this item's: toggles, keeps and applies. FALSE otherwise.
    BOOL RunMenu(UINT nCmd);

private:
    CWnd* m_pView;
    CKivernSettings* m_pSettings;
    int m_nAnsi = -1;  // what the display was told, -1: nothing yet
    LogHighlights m_told;
};
