// The GBK table of the receive display (the one the text conversions use), and copying.
#include "platform/logview_glyph.h"

#include "platform/gbk.h"

namespace logview {

namespace {

void AppendCodePoint(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += (char)u;
    } else if (u < 0x800) {
        out += (char)(0xC0 | (u >> 6));
        out += (char)(0x80 | (u & 0x3F));
    } else {
        out += (char)(0xE0 | (u >> 12));
        out += (char)(0x80 | ((u >> 6) & 0x3F));
        out += (char)(0x80 | (u & 0x3F));
    }
}

}  // namespace

const char16_t* GbkTable() { return GbkPairTable(); }

void AppendUtf8(std::string& out, const Glyph& g) {
    switch (g.kind) {
        case GlyphKind::Ascii:
        case GlyphKind::Wide:
            AppendCodePoint(out, g.ch);
            break;
        case GlyphKind::Tab:
            out += '\t';
            break;
        case GlyphKind::Break:
            out += g.len == 2 ? "\r\n" : "\n";
            break;
        case GlyphKind::Marker:
        case GlyphKind::Incomplete:
            if (g.ch < 0x20)
                AppendCodePoint(out, 0x2400 + g.ch);
            else if (g.ch == 0x7F)
                AppendCodePoint(out, 0x2421);
            else
                AppendCodePoint(out, 0xFFFD);
            break;
    }
}

}  // namespace logview
