// The flood pattern of kivern-vdev, and a checker for it (header-only, for tests and
// benchmarks). Byte i of the stream is byte (i mod 8) of a 64-bit hash of i / 8, so a reader
// that knows how many bytes it has seen knows the next one: a lost, doubled or reordered
// byte shows up as a mismatch at once (with probability 255/256 per byte).
#pragma once
#include <cstddef>
#include <cstdint>

namespace kvpattern {

inline uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

inline uint8_t ByteAt(uint64_t i) { return (uint8_t)(Mix(i >> 3) >> ((i & 7) * 8)); }

// Writes bytes start .. start+n-1 of the stream into p.
inline void Fill(uint64_t start, uint8_t* p, size_t n) {
    for (size_t k = 0; k < n; ++k) p[k] = ByteAt(start + k);
}

class Checker {
public:
    // Checks the next n bytes of the stream; false once any byte was wrong.
    bool Feed(const void* data, size_t n) {
        const uint8_t* p = (const uint8_t*)data;
        for (size_t k = 0; k < n; ++k, ++m_count) {
            if (m_ok && p[k] != ByteAt(m_count)) {
                m_ok = false;
                m_firstMismatch = m_count;
            }
        }
        return m_ok;
    }
    uint64_t Count() const { return m_count; }
    bool Ok() const { return m_ok; }
    // Offset of the first wrong byte; meaningful only when !Ok().
    uint64_t FirstMismatch() const { return m_firstMismatch; }

private:
    uint64_t m_count = 0;
    uint64_t m_firstMismatch = 0;
    bool m_ok = true;
};

}  // namespace kvpattern
