#include "dialog/RxZoom.h"

#include <algorithm>
#include <iterator>

namespace {
const int kLadder[] = {6,  7,  8,  9,  10, 11, 12, 13, 14, 16, 18,
                       20, 22, 24, 28, 32, 36, 40, 48, 56, 64, 72};
// Changes closer together than this are written together.
const uint64_t kSaveGapMs = 1000;
// The window's own face and weight of the receive display.
const char kOwnFace[] = "新宋体";
const int kOwnWeight = 550;
}  // namespace

void CRxZoom::Apply(CWnd* pView, BOOL bAtStart) {
    const CDisplaySettings& d = m_pSettings->m_display;
    // At start the display has the window's own font; later, the one applied last.
    if (bAtStart) {
        m_nAppliedPx = KV_FONT_PX_DEFAULT;
        m_strAppliedFace.clear();
    }
    if (d.m_nFontPx == m_nAppliedPx && d.m_strFontFace == m_strAppliedFace) return;
    m_nAppliedPx = d.m_nFontPx;
    m_strAppliedFace = d.m_strFontFace;
    CString strFace = d.m_strFontFace.empty()
                          ? CString(kOwnFace)
                          : ConvertCodePage(CString(d.m_strFontFace.c_str()), CP_UTF8, CP_ACP);
    auto font = std::make_unique<CFont>();
    font->CreateFontA(d.m_nFontPx, 0, 0, 0, kOwnWeight, FALSE, FALSE, 0, DEFAULT_CHARSET, 0, 0x20,
                      2, 0, strFace);
    pView->SendMessage(WM_SETFONT, (WPARAM)(HFONT)*font, TRUE);
    m_font = std::move(font);  // the display holds a copy; the one before may go
}

void CRxZoom::Step(CWnd* pView, int nSteps) {
    int& px = m_pSettings->m_display.m_nFontPx;
    const int* begin = std::begin(kLadder);
    const int* end = std::end(kLadder);
    int i = (int)(std::lower_bound(begin, end, px) - begin);  // first size >= px
    if (nSteps > 0)
        i = (i < (int)std::size(kLadder) && kLadder[i] == px ? i : i - 1) + nSteps;
    else
        i += nSteps;
    int next = kLadder[std::clamp(i, 0, (int)std::size(kLadder) - 1)];
    if (next == px) return;
    px = next;
    Changed(pView);
}

void CRxZoom::Wheel(CWnd* pView, int nDelta) {
    m_nWheelRest += nDelta;
    int nSteps = m_nWheelRest / 120;
    if (!nSteps) return;
    m_nWheelRest -= nSteps * 120;
    Step(pView, nSteps);
}

void CRxZoom::Reset(CWnd* pView) {
    if (m_pSettings->m_display.m_nFontPx == KV_FONT_PX_DEFAULT) return;
    m_pSettings->m_display.m_nFontPx = KV_FONT_PX_DEFAULT;
    Changed(pView);
}

void CRxZoom::Changed(CWnd* pView) {
    Apply(pView);
    const uint64_t now = GetTickCount64();
    if (m_bEverSaved && now - m_nSavedAt < kSaveGapMs) {
        m_bPending = true;
        return;
    }
    m_pSettings->Save();
    m_bEverSaved = true;
    m_nSavedAt = now;
    m_bPending = false;
}

void CRxZoom::SaveIfPending() {
    if (!m_bPending) return;
    m_pSettings->Save();
    m_bPending = false;
}
