// CPlotWnd: the plot window (绘图) of the numbers a device prints. While it is open, every
// received line is parsed into samples of its channels (CPlotParser) and kept in the window's
// store; while it is closed nothing is parsed. Its options live under "plot" in the settings
// file. Owned by the dialog, which hands it the received bytes and its timer's ticks.
#pragma once
#include <cstdint>

#include "platform/afx.h"
#include "plot/PlotParser.h"

class CKivernSettings;

class CPlotWnd {
public:
    // nTimer: the owner's timer that repaints the picture while the window is open.
    CPlotWnd(CKivernSettings* pSettings, CWnd* pOwner, UINT_PTR nTimer);

    // Shows the window (with the options of the settings the first time) and starts the timer.
    void Open();
    BOOL IsOpen() const { return m_window.IsOpen(); }
    // Received bytes, in the display's encoding; ignored while the window is closed.
    void Feed(const unsigned char* pBytes, INT_PTR nCount);
    // The timer: repaints; once the window is closed, the timer stops.
    void OnTick();
    CPlotWindow& Window() { return m_window; }

private:
    void LoadOptions();
    void SaveOptions();
    void Restart();

    CKivernSettings* m_pSettings;
    CWnd* m_pOwner;
    UINT_PTR m_nTimer;
    CPlotWindow m_window;
    CPlotParser m_parser;
    bool m_bLoaded = false, m_bTiming = false;
    uint32_t m_nSeq = 0;     // lines with a sample since the store was cleared
    int64_t m_nStartMs = 0;  // the store's time 0
    size_t m_nNames = 0;     // names the window was last told
    bool m_bOverflow = false;
    bool m_bAtLineStart = true;  // the bytes received while closed ended a line
};
