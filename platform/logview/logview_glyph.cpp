// The GBK table of the receive display (the one the text conversions use), and copying.
#include "platform/logview/logview_glyph.h"

#include "platform/text/gbk.h"

namespace logview {

const char16_t* GbkTable() { return GbkPairTable(); }

void AppendUtf8(std::string& out, const Glyph& g) {
    switch (g.kind) {
        case GlyphKind::Ascii:
        case GlyphKind::Narrow:
        case GlyphKind::Wide:
            ::AppendUtf8(out, g.ch);
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
                ::AppendUtf8(out, 0x2400 + g.ch);
            else if (g.ch == 0x7F)
                ::AppendUtf8(out, 0x2421);
            else
                ::AppendUtf8(out, 0xFFFD);
            break;
        case GlyphKind::Escape:  // drawn as colour, not shown
            break;
    }
}

}  // namespace logview
