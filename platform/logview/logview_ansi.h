// Colours of the receive display from the SGR escape sequences in its text (ESC [ ... m):
// foreground and background in 8/16 colours, 256 colours and 24-bit colour, bold, and reset.
// The state in effect at a byte is found from checkpoints every kStep bytes, taken in one pass
// over bytes never looked at before, so that a row's colours cost at most kStep bytes of
// looking back and the text is never styled byte by byte. No Qt here.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/logview/logview_index.h"

namespace logview {

// Colours are 0xFFRRGGBB; 0 means the view's own text or base colour.
struct SgrState {
    uint32_t fg = 0, bg = 0;
    bool bold = false;
    bool operator==(const SgrState& o) const { return fg == o.fg && bg == o.bg && bold == o.bold; }
    bool operator!=(const SgrState& o) const { return !(*this == o); }
};

// Applies the CSI sequence p[0, len) to s when it is an SGR one (final 'm', no private
// marker); any other sequence leaves s as it is. Unknown parameters are skipped.
void ApplySgr(const unsigned char* p, int len, SgrState& s);
// Colour n (0..255) of the 256-colour palette: 16 named colours chosen to read on a light and
// a dark base, the 6x6x6 cube, then 24 greys.
uint32_t AnsiColor(int n);

}  // namespace logview

class LogAnsiStyles {
public:
    static constexpr int64_t kStep = 4096;
    // Forgets what was looked at: the index shows another text, or the same afresh.
    void Reset() {
        m_points.clear();
        m_lastOff = -1;
    }
    // The state in effect at byte off (a glyph's first byte) of what the index shows: every
    // sequence before it applied, in order, from the default state.
    logview::SgrState StateAt(const LogIndex& index, int64_t off);

private:
    struct Point {
        int64_t resume;  // where looking on from the checkpoint starts (past a sequence cut by it)
        logview::SgrState s;
    };
    // Applies the sequences that start in [from, to) of the index's bytes; returns the
    // offset after the last byte looked at.
    static int64_t Apply(const LogIndex& index, int64_t from, int64_t to, logview::SgrState& s);
    std::vector<Point> m_points;  // [k]: the state at byte k * kStep
    int64_t m_lastOff = -1;       // the last byte asked about, and its state
    logview::SgrState m_last;
};
