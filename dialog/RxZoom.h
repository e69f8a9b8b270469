// CRxZoom: the receive display's font: its face and pixel size from the options, made larger
// and smaller by Ctrl+wheel and Ctrl+= / Ctrl+-, and back to the window's own size by Ctrl+0.
// A change is kept in the settings file: at once, or, while the wheel turns fast, at the
// next change after a second or when the window closes. Owned by the dialog.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "options/Settings.h"
#include "platform/afx.h"

class CRxZoom {
public:
    explicit CRxZoom(CKivernSettings* pSettings) : m_pSettings(pSettings) {}

    // Puts the options' font on the display, when it is not the one there already (at start,
    // the window's own).
    void Apply(CWnd* pView, BOOL bAtStart = FALSE);
    // One size up (nSteps > 0) or down along the ladder of sizes, within its ends.
    void Step(CWnd* pView, int nSteps);
    // A wheel turn with Ctrl: a step for each notch (120), smaller turns added up.
    void Wheel(CWnd* pView, int nDelta);
    // Back to the window's own size (the face stays).
    void Reset(CWnd* pView);
    // Writes a change the wheel left unsaved.
    void SaveIfPending();

private:
    void Changed(CWnd* pView);

    CKivernSettings* m_pSettings;
    std::unique_ptr<CFont> m_font;  // the display's font while it is not the window's own
    int m_nAppliedPx = KV_FONT_PX_DEFAULT;
    std::string m_strAppliedFace;
    int m_nWheelRest = 0;
    bool m_bPending = false;
    uint64_t m_nSavedAt = 0;
    bool m_bEverSaved = false;
};
