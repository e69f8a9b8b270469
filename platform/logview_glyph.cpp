// The GBK table of the receive display, built once through iconv.
#include "platform/logview_glyph.h"

#include <iconv.h>

#include <vector>

namespace logview {

namespace {

std::vector<char16_t> BuildGbkTable() {
    std::vector<char16_t> table(126 * 191, 0);
    iconv_t cd = iconv_open("UTF-32LE", "GBK");
    if (cd == (iconv_t)-1) return table;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            char in[2] = {(char)lead, (char)trail};
            unsigned char out[8];
            char* pin = in;
            char* pout = (char*)out;
            size_t nin = 2, nout = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &pin, &nin, &pout, &nout) == (size_t)-1 || nin != 0 ||
                sizeof out - nout != 4)
                continue;
            uint32_t u = out[0] | out[1] << 8 | out[2] << 16 | (uint32_t)out[3] << 24;
            if (u > 0 && u < 0x10000) table[(lead - 0x81) * 191 + (trail - 0x40)] = (char16_t)u;
        }
    }
    iconv_close(cd);
    return table;
}

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

const char16_t* GbkTable() {
    static const std::vector<char16_t> table = BuildGbkTable();
    return table.data();
}

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
