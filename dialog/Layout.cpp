// Proportional layout: 55 controls follow the client area by their anchoring class; the
// window cannot be dragged smaller than 520 x 616 pixels. On a screen too small for that
// (a small or highly scaled screen) the window may be smaller still: the layout of the
// smallest size is then scaled down to the client area, keeping its proportions.
#include <algorithm>
#include <vector>

#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

namespace {

enum Anchor { StretchBoth, BottomBand, BottomLeft, BottomRight, RightPanel };

struct LayoutItem {
    int nID;
    Anchor anchor;
};

const LayoutItem g_LayoutItems[] = {
    {IDC_RECEIVE_EDIT, StretchBoth},      {IDC_SEND_EDIT, BottomBand},
    {IDC_HISTORY_COMBO, BottomBand},      {IDC_STATUS_GROUP, BottomBand},
    {IDC_STATUS_STATIC, BottomLeft},      {IDC_RX_COUNT_STATIC, BottomLeft},
    {IDC_TX_COUNT_STATIC, BottomLeft},    {IDC_SEND_BUTTON, BottomRight},
    {IDC_HIDE_PANEL_BUTTON, BottomRight}, {IDC_CLEAR_HISTORY_BUTTON, BottomRight},
    {IDC_CMD_GROUP, RightPanel},          {IDC_CMD_HEX_LABEL, RightPanel},
    {IDC_CMD_TEXT_LABEL, RightPanel},     {IDC_CMD_SEND_LABEL, RightPanel},
    {IDC_CMD_HEX1, RightPanel},           {IDC_CMD_HEX2, RightPanel},
    {IDC_CMD_HEX3, RightPanel},           {IDC_CMD_HEX4, RightPanel},
    {IDC_CMD_HEX5, RightPanel},           {IDC_CMD_HEX6, RightPanel},
    {IDC_CMD_HEX7, RightPanel},           {IDC_CMD_HEX8, RightPanel},
    {IDC_CMD_HEX9, RightPanel},           {IDC_CMD_HEX10, RightPanel},
    {IDC_CMD_HEX11, RightPanel},          {IDC_CMD_HEX12, RightPanel},
    {IDC_CMD_EDIT1, RightPanel},          {IDC_CMD_EDIT2, RightPanel},
    {IDC_CMD_EDIT3, RightPanel},          {IDC_CMD_EDIT4, RightPanel},
    {IDC_CMD_EDIT5, RightPanel},          {IDC_CMD_EDIT6, RightPanel},
    {IDC_CMD_EDIT7, RightPanel},          {IDC_CMD_EDIT8, RightPanel},
    {IDC_CMD_EDIT9, RightPanel},          {IDC_CMD_EDIT10, RightPanel},
    {IDC_CMD_EDIT11, RightPanel},         {IDC_CMD_EDIT12, RightPanel},
    {IDC_CMD_SEND1, RightPanel},          {IDC_CMD_SEND2, RightPanel},
    {IDC_CMD_SEND3, RightPanel},          {IDC_CMD_SEND4, RightPanel},
    {IDC_CMD_SEND5, RightPanel},          {IDC_CMD_SEND6, RightPanel},
    {IDC_CMD_SEND7, RightPanel},          {IDC_CMD_SEND8, RightPanel},
    {IDC_CMD_SEND9, RightPanel},          {IDC_CMD_SEND10, RightPanel},
    {IDC_CMD_SEND11, RightPanel},         {IDC_CMD_SEND12, RightPanel},
    {IDC_CMD_SAVE_BUTTON, RightPanel},    {IDC_CMD_RESET_BUTTON, RightPanel},
    {IDC_DTR_CHECK, BottomRight},         {IDC_RTS_CHECK, BottomRight},
    {IDC_MODEM_STATIC, BottomRight},
};
const int g_nLayoutItems = (int)(sizeof(g_LayoutItems) / sizeof(g_LayoutItems[0]));

// The captured geometry: the four quantities each control's class keeps.
struct Captured {
    int left, top, width, height, rightMargin, bottomMargin;
};
Captured g_Captured[sizeof(g_LayoutItems) / sizeof(g_LayoutItems[0])];

// The other controls keep their place, except below the least size, where they are scaled.
struct FixedItem {
    CWnd* pCtrl;
    RECT rc;
};
std::vector<FixedItem> g_Fixed;

bool IsLaidOut(int nID) {
    for (const LayoutItem& item : g_LayoutItems)
        if (item.nID == nID) return true;
    return false;
}

}  // namespace

void CKIVERNDlg::LayoutControls(BOOL bCapture) {
    RECT rcClient, rcWindow, rcLeast{0, 0, 0, 0};
    GetClientRect(&rcClient);
    GetWindowRect(&rcWindow);
    OnSizing(WMSZ_BOTTOMRIGHT, &rcLeast);
    // The area laid out: the client area, or the least one the window may be dragged to when
    // the client area is smaller; rectangles are scaled between that area and the client's.
    const int nClientWidth = rcClient.right, nClientHeight = rcClient.bottom;
    int cw = nClientWidth, ch = nClientHeight;
    if (cw > 0 && ch > 0) {
        cw = std::max(cw, (int)(rcLeast.right - (rcWindow.right - rcWindow.left - cw)));
        ch = std::max(ch, (int)(rcLeast.bottom - (rcWindow.bottom - rcWindow.top - ch)));
    }
    // A capture reads the controls where the last layout put them.
    const bool bScaled =
        bCapture ? m_bLayoutScaled != FALSE : cw != nClientWidth || ch != nClientHeight;
    if (!bScaled) cw = nClientWidth, ch = nClientHeight;
    auto scale = [](RECT r, int num_x, int den_x, int num_y, int den_y) {
        return RECT{(LONG)((long long)r.left * num_x / den_x),
                    (LONG)((long long)r.top * num_y / den_y),
                    (LONG)((long long)r.right * num_x / den_x),
                    (LONG)((long long)r.bottom * num_y / den_y)};
    };
    auto toClient = [&](RECT r) {
        return bScaled ? scale(r, nClientWidth, cw, nClientHeight, ch) : r;
    };
    auto fromClient = [&](RECT r) {
        return bScaled ? scale(r, cw, nClientWidth, ch, nClientHeight) : r;
    };

    if (bCapture) {
        g_Fixed.clear();
        for (CWnd* p = GetWindow(GW_CHILD); p; p = p->GetWindow(GW_HWNDNEXT)) {
            if (IsLaidOut(p->GetDlgCtrlID())) continue;
            RECT r;
            p->GetWindowRect(&r);
            ScreenToClient(&r);
            g_Fixed.push_back(FixedItem{p, fromClient(r)});
        }
    } else if (bScaled || m_bLayoutScaled) {
        for (const FixedItem& f : g_Fixed) {
            RECT r = toClient(f.rc);
            f.pCtrl->MoveWindow(&r, FALSE);
        }
    }
    if (!bCapture) m_bLayoutScaled = bScaled;

    for (int i = 0; i < g_nLayoutItems; ++i) {
        CWnd* pCtrl = GetDlgItem(g_LayoutItems[i].nID);
        Captured& c = g_Captured[i];
        if (bCapture) {
            RECT r;
            pCtrl->GetWindowRect(&r);
            ScreenToClient(&r);
            r = fromClient(r);
            c = Captured{(int)r.left,
                         (int)r.top,
                         (int)(r.right - r.left),
                         (int)(r.bottom - r.top),
                         cw - (int)r.right,
                         ch - (int)r.bottom};
            continue;
        }
        int x = 0, y = 0, w = 0, h = 0;
        switch (g_LayoutItems[i].anchor) {
            case StretchBoth:
                x = c.left, w = cw - c.rightMargin - c.left;
                y = c.top, h = ch - c.bottomMargin - c.top;
                break;
            case BottomBand:
                x = c.left, w = cw - c.rightMargin - c.left;
                y = ch - c.bottomMargin - c.height, h = c.height;
                break;
            case BottomLeft:
                x = c.left, w = c.width;
                y = ch - c.bottomMargin - c.height, h = c.height;
                break;
            case BottomRight:
                x = cw - c.rightMargin - c.width, w = c.width;
                y = ch - c.bottomMargin - c.height, h = c.height;
                break;
            case RightPanel:
                x = cw - c.rightMargin - c.width, w = c.width;
                y = c.top, h = c.height;
                break;
        }
        RECT r = toClient(RECT{x, y, x + w, y + h});
        pCtrl->MoveWindow(&r, FALSE);
    }
    InvalidateRect(nullptr, TRUE);
    UpdateWindow();
}

void CKIVERNDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    if (GetWindow(GW_CHILD) != nullptr) LayoutControls(FALSE);
}

void CKIVERNDlg::OnSizing(UINT fwSide, LPRECT pRect) {
    CDialog::OnSizing(fwSide, pRect);
    if (pRect->right - pRect->left < 520) {
        if (fwSide == WMSZ_LEFT || fwSide == WMSZ_TOPLEFT || fwSide == WMSZ_BOTTOMLEFT)
            pRect->left = pRect->right - 520;
        else
            pRect->right = pRect->left + 520;
    }
    if (pRect->bottom - pRect->top < 616) {
        if (fwSide == WMSZ_TOP || fwSide == WMSZ_TOPLEFT || fwSide == WMSZ_TOPRIGHT)
            pRect->top = pRect->bottom - 616;
        else
            pRect->bottom = pRect->top + 616;
    }
}
