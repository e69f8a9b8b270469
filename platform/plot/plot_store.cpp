// The sample rings, their decimation and their CSV.
#include "platform/plot/plot_store.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void PlotStore::SetCapacity(size_t nCapacity) {
    if (!nCapacity) nCapacity = 1;
    if (nCapacity == m_nCapacity) return;
    ++m_nGen;
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
        r.lo.assign(nCapacity / kBlock + 1, 0);
        r.hi.assign(nCapacity / kBlock + 1, 0);
        for (size_t k = 0; k < nKeep; ++k) r.Summarize(k);
    }
    m_nCapacity = nCapacity;
}

void PlotStore::Clear() {
    ++m_nGen;
    for (Ring& r : m_ring) r = Ring();
}

void PlotStore::Ring::Summarize(size_t k) {
    const size_t b = k / kBlock;
    const float v = samples[k].v;
    if (k % kBlock == 0) {
        lo[b] = hi[b] = v;
    } else {
        lo[b] = std::min(lo[b], v);
        hi[b] = std::max(hi[b], v);
    }
}

void PlotStore::Append(int ch, uint32_t seq, double t, float v) {
    Ring& r = m_ring[ch];
    if (r.samples.capacity() < m_nCapacity) {
        r.samples.reserve(m_nCapacity);
        r.lo.resize(m_nCapacity / kBlock + 1);
        r.hi.resize(m_nCapacity / kBlock + 1);
    }
    const PlotSample s = {(uint32_t)(std::max(0.0, t) * 1000 + 0.5), v, seq};
    size_t k;
    if (r.samples.size() < m_nCapacity) {
        k = r.samples.size();
        r.samples.push_back(s);
        ++r.nCount;
    } else {
        k = r.nHead;
        r.samples[k] = s;  // full: the oldest goes
        if (++r.nHead == r.samples.size()) r.nHead = 0;
    }
    r.Summarize(k);
    ++r.nTotal;
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
    for (const Ring& r : m_ring)
        n += r.samples.capacity() * sizeof(PlotSample) +
             (r.lo.capacity() + r.hi.capacity()) * sizeof(float);
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
    const size_t i = LowerBound(ch, bByTime, x0);
    if (bByTime)
        DecimateX<true>(m_ring[ch], x0, x1, nCols, out, i);
    else
        DecimateX<false>(m_ring[ch], x0, x1, nCols, out, i);
}

// From the i-th sample on, in the ring's order. The column is worked out again only near its
// end (so that a sample gets the column the formula gives it), and a whole block of slots that
// ends inside the column is taken from its summary; the block being overwritten is read sample
// by sample.
template <bool bByTime>
void PlotStore::DecimateX(const Ring& r, double x0, double x1, int nCols, PlotColumn* out,
                          size_t i) const {
    const double scale = nCols / (x1 - x0), eps = (x1 - x0) * 1e-9;
    const size_t n = r.nCount, size = r.samples.size(), next = r.NextSlot();
    int col = -1;
    double safeEnd = -INFINITY;  // samples below it fall into col
    PlotColumn* c = nullptr;
    while (i < n) {
        size_t k = r.nHead + i;
        if (k >= size) k -= size;
        const size_t end = k + std::min(n - i, size - k);  // a contiguous run of slots
        i += end - k;
        while (k < end) {
            const PlotSample& s = r.samples[k];
            const double x = X(s, bByTime);
            if (x >= safeEnd) {
                if (x > x1) return;
                col = std::min(nCols - 1, (int)((x - x0) * scale));
                safeEnd = col == nCols - 1 ? x1 + eps : x0 + (col + 1) / scale - eps;
                c = out + col;
            }
            if (k % kBlock == 0 && k + kBlock <= end && !(next > k && next < k + kBlock) &&
                X(r.samples[k + kBlock - 1], bByTime) < safeEnd) {
                const size_t b = k / kBlock;
                const float last = r.samples[k + kBlock - 1].v;
                if (!c->has) {
                    *c = {r.lo[b], r.hi[b], s.v, last, true};
                } else {
                    c->lo = std::min(c->lo, r.lo[b]);
                    c->hi = std::max(c->hi, r.hi[b]);
                    c->last = last;
                }
                k += kBlock;
                continue;
            }
            const float v = s.v;
            if (!c->has) {
                *c = {v, v, v, v, true};
            } else {
                c->lo = std::min(c->lo, v);
                c->hi = std::max(c->hi, v);
                c->last = v;
            }
            ++k;
        }
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
// The shortest text that reads back as the same float.
void WriteValue(FILE* f, float v) {
    char buf[32];
    for (int digits = 6; digits <= 9; ++digits) {
        snprintf(buf, sizeof buf, "%.*g", digits, (double)v);
        if (strtof(buf, nullptr) == v) break;
    }
    fputs(buf, f);
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
            if (!any || s.seq < seq) seq = s.seq, t = s.t();
            any = true;
        }
        if (!any) break;
        fprintf(f, "%.3f", t);
        for (int c = 0; c < nCh; ++c) {
            fputc(',', f);
            if (pos[c] < Count(c) && At(c, pos[c]).seq == seq) WriteValue(f, At(c, pos[c]++).v);
        }
        fputc('\n', f);
    }
    return !ferror(f);
}
