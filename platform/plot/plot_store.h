// PlotStore: the last N samples of each of up to 16 channels, and their decimation to one
// min/max pair per pixel column. Each sample keeps the line it came on (its index) and its
// arrival time, so that either can be the x axis: 12 bytes a sample, and the extremes of each
// run of 16 (half a byte a sample), which spare the decimation most of its reads. Needs nothing
// of the window system.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct PlotSample {
    uint32_t ms;   // arrival time, milliseconds since the store was cleared
    float v;       // the value
    uint32_t seq;  // the line's index since the store was cleared
    double t() const { return ms / 1000.0; }  // seconds
};

// One pixel column of a channel's curve: the extremes and the first and last samples in it.
struct PlotColumn {
    float lo, hi, first, last;
    bool has;  // no sample falls into the column when false
};

class PlotStore {
public:
    static constexpr int kMaxChannels = 16;
    static constexpr size_t kDefaultCapacity = 100000;

    explicit PlotStore(size_t nCapacity = kDefaultCapacity)
        : m_nCapacity(nCapacity ? nCapacity : 1) {}

    // The newest N samples of each channel are kept; a smaller N drops the oldest now.
    void SetCapacity(size_t nCapacity);
    size_t Capacity() const { return m_nCapacity; }
    void Clear();
    // A sample of channel ch from line seq at t seconds (seq and t never decrease).
    void Append(int ch, uint32_t seq, double t, float v);
    static constexpr size_t kBlock = 16;  // samples a summary covers

    size_t Count(int ch) const { return m_ring[ch].nCount; }
    // Samples of a channel appended since the store was cleared (the oldest stored one is
    // number Appended - Count), and a number that changes whenever the store is cleared or
    // its capacity changes.
    uint64_t Appended(int ch) const { return m_ring[ch].nTotal; }
    uint64_t Generation() const { return m_nGen; }
    // The i-th sample of a channel, 0 the oldest.
    const PlotSample& At(int ch, size_t i) const {
        const Ring& r = m_ring[ch];
        size_t k = r.nHead + i;
        return r.samples[k < r.samples.size() ? k : k - r.samples.size()];
    }
    // The x of a sample: its line index, or its time.
    static double X(const PlotSample& s, bool bByTime) { return bByTime ? s.t() : (double)s.seq; }
    // The x range of every stored sample; false when the store is empty.
    bool Range(bool bByTime, double& x0, double& x1) const;
    // Bytes the samples take, allocated.
    size_t Bytes() const;

    // The samples of channel ch with x in [x0, x1] into nCols columns: column
    // floor((x - x0) / (x1 - x0) * nCols), the last column taking x1.
    void Decimate(int ch, bool bByTime, double x0, double x1, int nCols, PlotColumn* out) const;
    // The first sample with x >= x (Count when none).
    size_t LowerBound(int ch, bool bByTime, double x) const;

    // CSV: a header "time,<names>" and a row per line that has a sample: its time in seconds,
    // then each channel's value or nothing. Names holding a comma or quote are quoted.
    bool WriteCsv(FILE* f, const std::vector<std::string>& names) const;

private:
    struct Ring {
        std::vector<PlotSample> samples;  // reserved to the capacity at the first sample
        std::vector<float> lo, hi;        // the extremes of each kBlock slots, as filled
        size_t nHead = 0, nCount = 0;
        uint64_t nTotal = 0;
        size_t NextSlot() const { return nCount < samples.size() ? nCount : nHead; }
        void Summarize(size_t k);  // slot k was written
    };
    template <bool bByTime>
    void DecimateX(const Ring& r, double x0, double x1, int nCols, PlotColumn* out, size_t i) const;
    size_t m_nCapacity;
    uint64_t m_nGen = 0;
    Ring m_ring[kMaxChannels];
};
