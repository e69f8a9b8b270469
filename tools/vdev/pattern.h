// The flood patterns of kivern-vdev, and a checker for them (header-only, for tests and
// benchmarks). Byte i of either stream is a function of i alone, so a reader that knows how
// many bytes it has seen knows the next one: a lost, doubled or reordered byte shows up as a
// mismatch at once.
//   Binary: byte (i mod 8) of a 64-bit hash of i / 8 (any byte value, 0x00 included).
//   Text:   lines of 64 bytes, like a device printing a log: the line's number in ten
//           digits, a space, 51 printable ASCII characters from a hash, CR LF.
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

enum class Kind { Binary, Text };

inline uint8_t ByteAt(uint64_t i) { return (uint8_t)(Mix(i >> 3) >> ((i & 7) * 8)); }

inline uint8_t TextByteAt(uint64_t i) {
    uint64_t line = i >> 6;
    unsigned col = (unsigned)(i & 63);
    if (col == 62) return '\r';
    if (col == 63) return '\n';
    if (col == 10) return ' ';
    if (col < 10) {
        for (unsigned k = 9; k > col; --k) line /= 10;
        return (uint8_t)('0' + line % 10);
    }
    return (uint8_t)(0x21 + Mix(i) % 94);
}

inline uint8_t ByteAt(Kind kind, uint64_t i) {
    return kind == Kind::Text ? TextByteAt(i) : ByteAt(i);
}

// Writes bytes start .. start+n-1 of the stream into p.
inline void Fill(uint64_t start, uint8_t* p, size_t n, Kind kind = Kind::Binary) {
    for (size_t k = 0; k < n; ++k) p[k] = ByteAt(kind, start + k);
}

class Checker {
public:
    explicit Checker(Kind kind = Kind::Binary) : m_kind(kind) {}
    // Checks the next n bytes of the stream; false once any byte was wrong.
    bool Feed(const void* data, size_t n) {
        const uint8_t* p = (const uint8_t*)data;
        for (size_t k = 0; k < n; ++k, ++m_count) {
            if (m_ok && p[k] != ByteAt(m_kind, m_count)) {
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
    Kind m_kind;
    uint64_t m_count = 0;
    uint64_t m_firstMismatch = 0;
    bool m_ok = true;
};

}  // namespace kvpattern
