// The anchoring class of each control of the main dialog, as the tests expect it.
#pragma once
#include "dialog/CommandSlots.h"

// The anchoring class of a control: 'S' stretches both ways, 'B' is the bottom band,
// 'L' bottom-left, 'R' bottom-right, 'P' the right-hand panel, 'F' never moves.
inline char ClassOf(int id) {
    switch (id) {
        case IDC_RECEIVE_EDIT:
            return 'S';
        case IDC_SEND_EDIT:
        case IDC_HISTORY_COMBO:
        case IDC_STATUS_GROUP:
            return 'B';
        case IDC_STATUS_STATIC:
        case IDC_RX_COUNT_STATIC:
        case IDC_TX_COUNT_STATIC:
            return 'L';
        case IDC_SEND_BUTTON:
        case IDC_HIDE_PANEL_BUTTON:
        case IDC_CLEAR_HISTORY_BUTTON:
        case IDC_DTR_CHECK:
        case IDC_RTS_CHECK:
        case IDC_MODEM_STATIC:
            return 'R';
    }
    for (int panelId : g_PanelIds)
        if (panelId == id) return 'P';
    return 'F';
}
