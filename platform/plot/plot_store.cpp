// The sample rings, their decimation and their CSV.
#include "platform/plot/plot_store.h"

#include <algorithm>
#include <cmath>

void PlotStore::SetCapacity(size_t nCapacity) {
    if (!nCapacity) nCapacity = 1;
    if (nCapacity == m_nCapacity) return;
    for (Ring& r : m_ring) {
        if (!r.nCount) {
            r = Ring();
            continue;
        }
        const size_t nKeep = std::min(r.nCount, nCapacity);
        std::vector<PlotSample> kept;
        kept.reserve(nCapacity);
        for (size_t i = r.nCount - nKeep; i < r.nCount; ++i) {
            size_t k = r.nHead + i;
            kept.push_back(r.samples[k < r.samples.size() ? k : k - r.samples.size()]);
        }
        r.samples.swap(kept);
        r.nHead = 0;
        r.nCount = nKeep;
    }
    m_nCapacity = nCapacity;
}

void PlotStore::Clear() {
    for (Ring& r : m_ring) r = Ring();
}

void PlotStore::Append(int ch, uint32_t seq, double t, float v) {
    Ring& r = m_ring[ch];
    if (r.samples.capacity() < m_nCapacity) r.samples.reserve(m_nCapacity);
    if (r.samples.size() < m_nCapacity) {
        r.samples.push_back({t, v, seq});
        ++r.nCount;
        return;
    }
    r.samples[r.nHead] = {t, v, seq};  // full: the oldest goes
    if (++r.nHead == r.samples.size()) r.nHead = 0;
}

bool PlotStore::Range(bool bByTime, double& x0, double& x1) const {
    bool any = false;
    for (int c = 0; c < kMaxChannels; ++c) {
        if (!Count(c)) continue;
        double a = X(At(c, 0), bByTime), b = X(At(c, Count(c) - 1), bByTime);
        x0 = any ? std::min(x0, a) : a;
        x1 = any ? std::max(x1, b) : b;
        any = true;
    }
    return any;
}

size_t PlotStore::Bytes() const {
    size_t n = 0;
    for (const Ring& r : m_ring) n += r.samples.capacity() * sizeof(PlotSample);
    return n;
}

size_t PlotStore::LowerBound(int ch, bool bByTime, double x) const {
    size_t lo = 0, hi = Count(ch);
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        if (X(At(ch, mid), bByTime) < x)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void PlotStore::Decimate(int ch, bool bByTime, double x0, double x1, int nCols,
                         PlotColumn* out) const {
    for (int i = 0; i < nCols; ++i) out[i].has = false;
    if (nCols <= 0 || !(x1 > x0)) return;
    const double scale = nCols / (x1 - x0);
    const Ring& r = m_ring[ch];
    const size_t n = r.nCount;
    size_t i = LowerBound(ch, bByTime, x0);
    // Walk the ring in its two contiguous parts without a modulo per sample.
    while (i < n) {
        size_t k = r.nHead + i;
        if (k >= r.samples.size()) k -= r.samples.size();
        const size_t run = std::min(n - i, r.samples.size() - k);
        const PlotSample* s = r.samples.data() + k;
        for (size_t j = 0; j < run; ++j) {
            const double x = X(s[j], bByTime);
            if (x > x1) return;
            int col = (int)((x - x0) * scale);
            if (col >= nCols) col = nCols - 1;
            PlotColumn& c = out[col];
            const float v = s[j].v;
            if (!c.has) {
                c = {v, v, v, v, true};
            } else {
                if (v < c.lo) c.lo = v;
                if (v > c.hi) c.hi = v;
                c.last = v;
            }
        }
        i += run;
    }
}

namespace {
void WriteName(FILE* f, const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) {
        fputs(s.c_str(), f);
        return;
    }
    fputc('"', f);
    for (char c : s) {
        if (c == '"') fputc('"', f);
        fputc(c, f);
    }
    fputc('"', f);
}
}  // namespace

bool PlotStore::WriteCsv(FILE* f, const std::vector<std::string>& names) const {
    fputs("time", f);
    int nCh = 0;
    for (int c = 0; c < kMaxChannels; ++c)
        if (Count(c) || c < (int)names.size()) nCh = c + 1;
    for (int c = 0; c < nCh; ++c) {
        fputc(',', f);
        WriteName(f, c < (int)names.size() ? names[c] : std::to_string(c + 1));
    }
    fputc('\n', f);
    // Merge the channels by line index: a row per line, oldest first.
    size_t pos[kMaxChannels] = {};
    for (;;) {
        bool any = false;
        uint32_t seq = 0;
        double t = 0;
        for (int c = 0; c < nCh; ++c) {
            if (pos[c] >= Count(c)) continue;
            const PlotSample& s = At(c, pos[c]);
            if (!any || s.seq < seq) seq = s.seq, t = s.t;
            any = true;
        }
        if (!any) break;
        fprintf(f, "%.6f", t);
        for (int c = 0; c < nCh; ++c) {
            fputc(',', f);
            if (pos[c] < Count(c) && At(c, pos[c]).seq == seq)
                fprintf(f, "%.9g", (double)At(c, pos[c]++).v);
        }
        fputc('\n', f);
    }
    return !ferror(f);
}
