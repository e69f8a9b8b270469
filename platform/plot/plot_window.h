// CPlotWindow: the plot's own window (绘图): the picture, and a bar with pause, follow, clear,
// the axes' choices, the history's length, the palette and the exports (CSV, PNG). It holds
// the samples; its owner appends them and says when they changed.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/wintypes.h"
#include "platform/plot/plot_store.h"

class CWnd;

struct PlotOptions {
    size_t nHistory = PlotStore::kDefaultCapacity;  // samples kept per channel
    bool bByTime = false;                           // x: arrival time, or the line index
    bool bYAuto = true;                             // y: fits the visible data, or fixed
    double dYMin = -1, dYMax = 1;
    bool bDark = false;
    bool operator==(const PlotOptions& o) const {
        return nHistory == o.nHistory && bByTime == o.bByTime && bYAuto == o.bYAuto &&
               dYMin == o.dYMin && dYMax == o.dYMax && bDark == o.bDark;
    }
};

class CPlotWindow {
public:
    CPlotWindow();
    ~CPlotWindow();
    CPlotWindow(const CPlotWindow&) = delete;
    CPlotWindow& operator=(const CPlotWindow&) = delete;

    // Shows the window (made at the first call) and brings it to the front, kept above its
    // owner's window when there is one.
    void Show(CWnd* pOwner = nullptr);
    BOOL IsOpen() const;
    void Close();

    PlotStore& Store() { return m_store; }
    // The channels' names as received, in UTF-8 or GBK; whether channels beyond 16 were seen.
    void SetNames(const std::vector<std::string>& names, BOOL bUtf8, BOOL bOverflow);
    // Samples were appended: the next Refresh repaints.
    void Changed() { m_bChanged = true; }
    // Repaints when samples came since the last call, unless paused (the owner's timer).
    void Refresh();

    void SetOptions(const PlotOptions& o);
    const PlotOptions& Options() const { return m_opt; }
    // Called when the user changes an option (to keep it), and when Clear empties the store.
    void SetOnOptionsChanged(std::function<void()> f) { m_onOptions = std::move(f); }
    void SetOnClear(std::function<void()> f) { m_onClear = std::move(f); }

    void SetPaused(BOOL bPaused);
    BOOL IsPaused() const;
    void Clear();
    // The x range shown: x0..x1 (stops following), or back to following the newest samples.
    void Zoom(double x0, double x1);
    void Follow();
    BOOL ExportCsv(LPCSTR lpszPath) const;  // file-system bytes
    BOOL ExportPng(LPCSTR lpszPath) const;
    unsigned Frames() const;  // pictures painted so far

private:
    struct Impl;
    void Make();
    void OptionsChangedByUser();

    PlotStore m_store;
    PlotOptions m_opt;
    std::vector<std::string> m_names;
    BOOL m_bUtf8 = FALSE, m_bOverflow = FALSE;
    bool m_bChanged = false;
    std::function<void()> m_onOptions, m_onClear;
    std::unique_ptr<Impl> m_p;
};
