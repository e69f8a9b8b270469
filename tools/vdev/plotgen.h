// Lines of a few measured-looking channels (sines, a noisy sine, noise) for the plot window:
// as columns ("0.841,0.270,...") or as name=value pairs ("sin=0.841,cos=0.270,...").
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kvplot {

enum class Format { None, Columns, Named };

class Generator {
public:
    Generator(Format f, int nChannels) : m_format(f), m_nChannels(nChannels) {}
    Format format() const { return m_format; }

    // The line at t seconds (a function of t but for the noise), CR LF ended.
    std::string Line(double t) {
        static const char* const kNames[] = {"sin", "cos", "wave", "noise"};
        std::string out;
        char buf[64];
        for (int k = 0; k < m_nChannels; ++k) {
            const double amp = 1.0 + 0.5 * (k / 4), w = 2 * M_PI * (0.5 + 0.25 * (k / 4));
            double v;
            switch (k % 4) {
                case 0:
                    v = amp * std::sin(w * t);
                    break;
                case 1:
                    v = 0.5 * amp * std::cos(w * t);
                    break;
                case 2:
                    v = amp * std::sin(0.3 * w * t) + 0.1 * Noise();
                    break;
                default:
                    v = 0.2 * Noise() - 1.5;
                    break;
            }
            if (k) out += ',';
            if (m_format == Format::Named) {
                out += kNames[k % 4];
                if (m_nChannels > 4) out += std::to_string(k / 4 + 1);
                out += '=';
            }
            snprintf(buf, sizeof buf, "%.4f", v);
            out += buf;
        }
        return out + "\r\n";
    }

private:
    // Uniform in [-1, 1).
    double Noise() {
        m_rng = m_rng * 6364136223846793005ull + 1442695040888963407ull;
        return (double)(m_rng >> 11) / (double)(1ull << 52) - 1.0;
    }
    Format m_format;
    int m_nChannels;
    uint64_t m_rng = 1;
};

}  // namespace kvplot
