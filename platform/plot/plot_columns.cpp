// The plot's column cache: new samples folded into a fixed grid of columns.
#include "platform/plot/plot_columns.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

void Add(PlotColumn& c, float v) {
    if (!c.has) {
        c = {v, v, v, v, true};
        return;
    }
    c.lo = std::min(c.lo, v);
    c.hi = std::max(c.hi, v);
    c.last = v;
}

}  // namespace

// Everything again from the store's decimation (a new grid, a cleared store, or a gap).
void PlotColumnCache::Rebuild(const PlotStore& s, int ch, long long j0, int nCols) {
    std::vector<PlotColumn> cols(nCols);
    s.Decimate(ch, m_bByTime, j0 * m_w, (j0 + nCols) * m_w, nCols, cols.data());
    m_cols.assign(cols.begin(), cols.end());
    m_jFront = j0;
    const size_t n = s.Count(ch);
    const long long j = (long long)std::floor(PlotStore::X(s.At(ch, n - 1), m_bByTime) / m_w);
    m_jLast = std::clamp<long long>(j, j0, j0 + nCols - 1);
}

// Samples from index from on; a sample left of the first column kept is not shown.
void PlotColumnCache::Fold(const PlotStore& s, int ch, size_t from) {
    const size_t n = s.Count(ch);
    for (size_t i = from; i < n; ++i) {
        const PlotSample& smp = s.At(ch, i);
        long long j = (long long)std::floor(PlotStore::X(smp, m_bByTime) / m_w);
        if (j < m_jFront) continue;
        j = std::max(j, m_jLast);  // x never decreases
        m_jLast = j;
        while ((long long)m_cols.size() <= j - m_jFront)
            m_cols.push_back(PlotColumn{0, 0, 0, 0, false});
        Add(m_cols[j - m_jFront], smp.v);
    }
}

// The oldest samples left the ring: the columns before the oldest one left are empty, and
// the oldest one's column is worked out again from what is left of it.
void PlotColumnCache::Refresh(const PlotStore& s, int ch) {
    const size_t n = s.Count(ch);
    const long long jOld = (long long)std::floor(PlotStore::X(s.At(ch, 0), m_bByTime) / m_w);
    for (long long j = m_jFront; j < jOld && j - m_jFront < (long long)m_cols.size(); ++j)
        m_cols[j - m_jFront].has = false;
    if (jOld < m_jFront || jOld - m_jFront >= (long long)m_cols.size()) return;
    PlotColumn& c = m_cols[jOld - m_jFront];
    c.has = false;
    for (size_t i = 0; i < n; ++i) {
        const PlotSample& smp = s.At(ch, i);
        if ((long long)std::floor(PlotStore::X(smp, m_bByTime) / m_w) != jOld) break;
        Add(c, smp.v);
    }
}

void PlotColumnCache::Columns(const PlotStore& s, int ch, bool bByTime, double w, long long j0,
                              int nCols, PlotColumn* out) {
    const size_t n = s.Count(ch);
    for (int i = 0; i < nCols; ++i) out[i].has = false;
    if (!n || nCols <= 0 || !(w > 0)) {
        m_bValid = false;
        return;
    }
    const uint64_t total = s.Appended(ch), first = total - n;
    if (!m_bValid || bByTime != m_bByTime || w != m_w || s.Generation() != m_nGen ||
        m_nDone < first || m_nDone > total || j0 < m_jFront) {
        m_bByTime = bByTime, m_w = w, m_nGen = s.Generation();
        Rebuild(s, ch, j0, nCols);
        m_bValid = true;
    } else {
        while (!m_cols.empty() && m_jFront < j0) m_cols.pop_front(), ++m_jFront;
        if (m_cols.empty()) m_jFront = j0;
        Fold(s, ch, (size_t)(m_nDone - first));
        if (first != m_nFirst) Refresh(s, ch);
    }
    m_nDone = total;
    m_nFirst = first;
    const size_t nKept = m_cols.size();
    for (int i = 0; i < nCols; ++i) {
        const size_t k = (size_t)(j0 - m_jFront + i);
        if (k < nKept) out[i] = m_cols[k];
    }
}
