// Glyphs of the receive display: splits the 8-bit receive text (GBK, or UTF-8 when the view is
// switched to it) into what the display draws: ASCII characters, other characters, tabs, line
// breaks (CR LF or a lone LF) and markers for every byte that is not text (control bytes, a
// lone CR, bytes that do not form a character). No Qt here.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/text/utf8.h"

namespace logview {

enum class GlyphKind : uint8_t {
    Ascii,       // 0x20-0x7E, one cell
    Wide,        // a two-byte GBK character, or a wide UTF-8 one (CJK, emoji): two cells
    Narrow,      // any other UTF-8 character beyond ASCII, one cell
    Tab,         // to the next multiple of kTabStop columns
    Marker,      // one byte shown as its hex value in a box, kMarkerCells cells
    Break,       // CR LF or LF
    Incomplete,  // a lead byte or CR at the end of the bytes so far: wait for the next byte
    Escape,      // a CSI sequence (ESC [ ... final), when the view reads them: no cells
};

struct Glyph {
    GlyphKind kind;
    uint8_t len;  // bytes
    char32_t ch;  // Ascii and Wide: the character; Marker: the byte's value
};

constexpr int kTabStop = 8;
constexpr int kMarkerCells = 2;

// The table of GBK pairs: index (lead - 0x81) * 191 + (trail - 0x40); 0 where the pair is not
// a character.
const char16_t* GbkTable();

inline bool IsPlainAscii(unsigned char b) { return b >= 0x20 && b < 0x7F; }

// Decodes the glyph at p, with avail (>= 1) bytes readable. bFinal false means more bytes may
// follow p[avail-1]; a lead byte or CR in that last place is then Incomplete.
inline Glyph DecodeGlyph(const unsigned char* p, int64_t avail, bool bFinal, const char16_t* gbk) {
    unsigned char b = p[0];
    if (IsPlainAscii(b)) return {GlyphKind::Ascii, 1, b};
    if (b == '\n') return {GlyphKind::Break, 1, 0};
    if (b == '\r') {
        if (avail >= 2) {
            if (p[1] == '\n') return {GlyphKind::Break, 2, 0};
            return {GlyphKind::Marker, 1, b};
        }
        return {bFinal ? GlyphKind::Marker : GlyphKind::Incomplete, 1, b};
    }
    if (b == '\t') return {GlyphKind::Tab, 1, b};
    if (b >= 0x81 && b <= 0xFE) {
        if (avail < 2) return {bFinal ? GlyphKind::Marker : GlyphKind::Incomplete, 1, b};
        unsigned char t = p[1];
        if (t >= 0x40 && t <= 0xFE && t != 0x7F) {
            char16_t u = gbk[(b - 0x81) * 191 + (t - 0x40)];
            if (u) return {GlyphKind::Wide, 2, u};
        }
    }
    return {GlyphKind::Marker, 1, b};
}

// The same for UTF-8 text. A character's first bytes at the end of the bytes so far are
// Incomplete; C1 control characters (U+0080..U+009F) and invalid bytes are markers, byte by
// byte.
inline Glyph DecodeGlyphUtf8(const unsigned char* p, int64_t avail, bool bFinal) {
    unsigned char b = p[0];
    if (b < 0x80) return DecodeGlyph(p, avail, bFinal, nullptr);  // no GBK lead below 0x80
    Utf8Char c = Utf8DecodeChar(reinterpret_cast<const char*>(p), (size_t)avail, 0);
    if (c.kind == Utf8CharKind::Incomplete && !bFinal) return {GlyphKind::Incomplete, 1, b};
    if (c.kind != Utf8CharKind::Valid || c.codePoint < 0xA0) return {GlyphKind::Marker, 1, b};
    return {IsWideChar(c.codePoint) ? GlyphKind::Wide : GlyphKind::Narrow, (uint8_t)c.length,
            c.codePoint};
}

// A CSI sequence at p: ESC '[', parameter bytes 0x30-0x3F, intermediate bytes 0x20-0x2F and
// a final byte 0x40-0x7E. Returns its length, 0 when p holds no such sequence (a stray ESC, or
// one longer than kMaxCsi), or -1 when the bytes end before it does and bFinal is false.
constexpr int kMaxCsi = 64;
inline int CsiLength(const unsigned char* p, int64_t avail, bool bFinal) {
    if (p[0] != 0x1B) return 0;
    if (avail < 2) return bFinal ? 0 : -1;
    if (p[1] != '[') return 0;
    int64_t n = std::min<int64_t>(avail, kMaxCsi);
    int i = 2;
    while (i < n && p[i] >= 0x30 && p[i] <= 0x3F) ++i;
    while (i < n && p[i] >= 0x20 && p[i] <= 0x2F) ++i;
    if (i < n) return p[i] >= 0x40 && p[i] <= 0x7E ? i + 1 : 0;
    return bFinal || n == kMaxCsi ? 0 : -1;
}

// Cells a glyph takes when it starts at column col of a row nCols wide. A tab that would
// cross the row's end stops there.
inline int GlyphCells(const Glyph& g, int64_t col, int nCols) {
    switch (g.kind) {
        case GlyphKind::Ascii:
        case GlyphKind::Narrow:
            return 1;
        case GlyphKind::Wide:
            return 2;
        case GlyphKind::Tab: {
            int w = kTabStop - (int)(col % kTabStop);
            if (col < nCols && col + w > nCols) w = (int)(nCols - col);
            return w;
        }
        case GlyphKind::Marker:
            return kMarkerCells;
        default:
            return 0;
    }
}

// Appends the glyph as UTF-8 for copying: a break stays CR LF or LF, a tab stays a tab,
// control bytes become Unicode control pictures (U+2400...), other undecodable bytes U+FFFD,
// an escape sequence nothing (copying gives what is shown).
void AppendUtf8(std::string& out, const Glyph& g);

}  // namespace logview
