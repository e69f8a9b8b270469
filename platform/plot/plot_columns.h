// PlotColumnCache: one channel's pixel columns on a fixed grid of x (column j holds the samples
// with floor(x / w) == j), kept from picture to picture. While the view follows the newest
// samples the grid stays put, so each picture folds in only the samples that came since it was
// last drawn and reuses every column already worked out; the view scrolls by whole columns.
#pragma once
#include <cstdint>
#include <deque>

#include "platform/plot/plot_store.h"

class PlotColumnCache {
public:
    // Columns j0 .. j0 + nCols - 1 of channel ch (width w) into out.
    void Columns(const PlotStore& s, int ch, bool bByTime, double w, long long j0, int nCols,
                 PlotColumn* out);

private:
    void Rebuild(const PlotStore& s, int ch, long long j0, int nCols);
    void Fold(const PlotStore& s, int ch, size_t from);
    void Refresh(const PlotStore& s, int ch);

    bool m_bValid = false, m_bByTime = false;
    double m_w = 0;
    uint64_t m_nGen = 0;
    uint64_t m_nDone = 0;                 // samples folded in, counted since the store was cleared
    uint64_t m_nFirst = 0;                // the oldest stored sample's count when last seen
    long long m_jFront = 0, m_jLast = 0;  // the first column kept; the last sample's column
    std::deque<PlotColumn> m_cols;
};
