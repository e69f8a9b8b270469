// CPlotParser: the numbers a device prints, as samples of up to 16 channels. Received bytes
// are split into lines; a line holds numbers separated by commas, spaces, tabs or semicolons
// (each column a channel, named "1", "2", ...) or name=value / name:value pairs (each name a
// channel). Numbers are integers, decimals or exponents with an optional sign; nan and inf
// take their column but give no sample. Needs nothing of the window system.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CPlotParser {
public:
    static constexpr int kMaxChannels = 16;
    // A line longer than this is skipped whole (no line end in sight: not a device's line).
    static constexpr size_t kMaxLine = 16384;

    struct Line {
        uint32_t mask = 0;            // bit c: channel c has a sample
        double v[kMaxChannels] = {};  // the samples, by channel
    };

    // Parses one line without its line end. Returns false when it holds no sample.
    bool ParseLine(const char* p, size_t n, Line& out);

    // Bytes as they arrive: each complete line with a sample is handed to onLine(const Line&).
    template <class OnLine>
    void Feed(const char* p, size_t n, OnLine&& onLine) {
        const char* end = p + n;
        while (p < end) {
            const char* lf = static_cast<const char*>(memchr_(p, '\n', (size_t)(end - p)));
            const char* stop = lf ? lf : end;
            if (!m_bOverlong) {
                if (m_partial.size() + (size_t)(stop - p) > kMaxLine) {
                    m_bOverlong = true;
                    m_partial.clear();
                } else if (lf && m_partial.empty()) {
                    if (ParseLine(p, (size_t)(stop - p), m_line)) onLine(m_line);
                } else {
                    m_partial.append(p, (size_t)(stop - p));
                    if (lf && ParseLine(m_partial.data(), m_partial.size(), m_line)) onLine(m_line);
                    if (lf) m_partial.clear();
                }
            }
            if (!lf) break;
            m_bOverlong = false;
            p = lf + 1;
        }
    }

    // The channels' names in the order they were first seen (bytes as received).
    const std::vector<std::string>& Names() const { return m_names; }
    // A channel beyond the 16th was seen and ignored.
    bool Overflowed() const { return m_bOverflow; }
    // Forgets the names and any partial line.
    void Reset();
    // Bytes were missed: what comes up to the next line end is the rest of a line, skipped.
    void SkipToLineEnd() {
        m_partial.clear();
        m_bOverlong = true;
    }

    // One number at p (sign, digits, point, exponent; nan, inf): its length, 0 if none.
    static size_t ParseNumber(const char* p, const char* end, double& value);

private:
    static const void* memchr_(const void* p, int c, size_t n);
    int Channel(const char* name, size_t n);
    int ColumnChannel(int k);

    std::vector<std::string> m_names;
    int m_column[kMaxChannels] = {-1, -1, -1, -1, -1, -1, -1, -1,
                                  -1, -1, -1, -1, -1, -1, -1, -1};  // column k's channel
    bool m_bOverflow = false;
    std::string m_partial;
    bool m_bOverlong = false;
    Line m_line;
};
