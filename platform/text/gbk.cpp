#include "platform/text/gbk.h"

#include <errno.h>
#include <iconv.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {
// GBK two-byte characters: lead 0x81..0xFE, trail 0x40..0xFE except 0x7F. The tables are
// built once from glibc's "GBK" converter, which matches code page 936 (including 0x80 as
// the euro sign), unlike GB18030 with its four-byte forms.
constexpr int kLeadFirst = 0x81, kLeadCount = 0xFE - 0x81 + 1;
constexpr int kTrailFirst = 0x40, kTrailCount = 0xFE - 0x40 + 1;

struct GbkTables {
    std::vector<char16_t> toUnicode;    // [lead][trail] -> code point, 0 when invalid
    std::vector<uint16_t> fromUnicode;  // [code point < 0x10000] -> lead << 8 | trail, 0: none
    char32_t byte80 = 0;                // single byte 0x80
};

char32_t ConvertOne(iconv_t cd, const char* in, size_t n) {
    char32_t out[2] = {0, 0};
    char* ip = const_cast<char*>(in);
    char* op = reinterpret_cast<char*>(out);
    size_t il = n, ol = sizeof(out);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) == (size_t)-1 || il != 0 || ol != sizeof(char32_t)) return 0;
    return out[0];
}

const GbkTables& Tables() {
    static const GbkTables tables = [] {
        GbkTables t;
        t.toUnicode.assign((size_t)kLeadCount * kTrailCount, 0);
        t.fromUnicode.assign(0x10000, 0);
        iconv_t cd = iconv_open("UTF-32LE", "GBK");
        if (cd == (iconv_t)-1) throw std::runtime_error("iconv: GBK converter missing");
        auto put = [&t](int lead, int trail, char32_t cp) {
            if (cp == 0 || cp > 0xFFFF) return;
            t.toUnicode[(size_t)lead * kTrailCount + trail] = (char16_t)cp;
            uint16_t& code = t.fromUnicode[cp];
            if (!code) code = (uint16_t)((kLeadFirst + lead) << 8 | (kTrailFirst + trail));
        };
        for (int lead = 0; lead < kLeadCount; lead++) {
            // A lead byte's whole row in one conversion; an invalid pair is skipped where the
            // converter stops at it. Each valid pair gives one character.
            std::vector<int> trails;
            std::string in;
            for (int trail = 0; trail < kTrailCount; trail++) {
                if (kTrailFirst + trail == 0x7F) continue;
                trails.push_back(trail);
                in += (char)(kLeadFirst + lead);
                in += (char)(kTrailFirst + trail);
            }
            std::vector<char32_t> out(trails.size());
            size_t pair = 0;
            bool inStep = true;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            while (pair < trails.size() && inStep) {
                char* ip = &in[2 * pair];
                size_t il = in.size() - 2 * pair;
                char* op = reinterpret_cast<char*>(out.data());
                size_t ol = out.size() * sizeof(char32_t);
                size_t r = iconv(cd, &ip, &il, &op, &ol);
                size_t done = (size_t)(ip - in.data()) / 2 - pair;
                size_t made = (size_t)(op - reinterpret_cast<char*>(out.data())) / sizeof(char32_t);
                if (made != done || (ip - in.data()) % 2) {
                    inStep = false;  // not one character a pair: convert this row pair by pair
                    break;
                }
                for (size_t k = 0; k < made; ++k) put(lead, trails[pair + k], out[k]);
                pair += done;
                if (r == (size_t)-1) {
                    if (errno != EILSEQ) inStep = false;
                    ++pair;  // the invalid pair
                    iconv(cd, nullptr, nullptr, nullptr, nullptr);
                }
            }
            if (inStep) continue;
            for (int trail : trails) {
                char one[2] = {(char)(kLeadFirst + lead), (char)(kTrailFirst + trail)};
                put(lead, trail, ConvertOne(cd, one, 2));
            }
        }
        char b80 = (char)0x80;
        t.byte80 = ConvertOne(cd, &b80, 1);
        iconv_close(cd);
        return t;
    }();
    return tables;
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when it is malformed.
size_t DecodeUtf8(const unsigned char* s, size_t n, size_t i, char32_t& cp) {
    unsigned char c = s[i];
    size_t len;
    char32_t min;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (n - i < len) return 0;
    for (size_t k = 1; k < len; k++) {
        if ((s[i + k] & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (s[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}
}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += (char)cp;
    } else if (cp < 0x800) {
        out += (char)(0xC0 | cp >> 6);
        out += (char)(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += (char)(0xE0 | cp >> 12);
        out += (char)(0x80 | (cp >> 6 & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    } else {
        out += (char)(0xF0 | cp >> 18);
        out += (char)(0x80 | (cp >> 12 & 0x3F));
        out += (char)(0x80 | (cp >> 6 & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    }
}

GbkChar GbkDecodeChar(const char* p, size_t n, size_t i) {
    unsigned char b = (unsigned char)p[i];
    if (b < 0x80) return {GbkCharKind::Valid, b, 1};
    const GbkTables& t = Tables();
    if (b == 0x80) {
        if (t.byte80) return {GbkCharKind::Valid, t.byte80, 1};
        return {GbkCharKind::Invalid, b, 1};
    }
    if (b == 0xFF) return {GbkCharKind::Invalid, b, 1};
    if (i + 1 >= n) return {GbkCharKind::Incomplete, b, 1};
    unsigned char trail = (unsigned char)p[i + 1];
    if (trail >= kTrailFirst && trail <= 0xFE) {
        char16_t cp = t.toUnicode[(size_t)(b - kLeadFirst) * kTrailCount + (trail - kTrailFirst)];
        if (cp) return {GbkCharKind::Valid, cp, 2};
    }
    return {GbkCharKind::Invalid, b, 1};
}

std::string GbkToUtf8(const char* p, size_t n) {
    std::string out;
    out.reserve(n + n / 2);
    for (size_t i = 0; i < n;) {
        GbkChar c = GbkDecodeChar(p, n, i);
        AppendUtf8(out, c.kind == GbkCharKind::Valid ? c.codePoint : 0xFFFD);
        i += (size_t)c.length;
    }
    return out;
}
std::string GbkToUtf8(const CString& str) {
    return GbkToUtf8(str.GetString(), (size_t)str.GetLength());
}

namespace {
// Writes the GBK form of one code point at o ('?' when GBK lacks it); returns the end.
char* EncodeGbk(const GbkTables& t, char32_t cp, char* o) {
    if (cp < 0x80) {
        *o++ = (char)cp;
    } else if (t.byte80 && cp == t.byte80) {
        *o++ = (char)0x80;
    } else if (uint16_t code = cp < 0x10000 ? t.fromUnicode[cp] : 0) {
        *o++ = (char)(code >> 8);
        *o++ = (char)(code & 0xFF);
    } else {
        *o++ = '?';
    }
    return o;
}
}  // namespace

void AppendGbk(std::string& out, char32_t cp) {
    char buf[2];
    out.append(buf, (size_t)(EncodeGbk(Tables(), cp, buf) - buf));
}

std::string Utf16ToGbk(const char16_t* p, size_t n, bool bLfToCrLf) {
    const GbkTables& t = Tables();
    std::string out;
    out.resize(2 * n);  // at most two bytes a unit, also for LF as CR LF
    char* o = &out[0];
    for (size_t i = 0; i < n; ++i) {
        char32_t cp = p[i];
        if (cp == u'\n' && bLfToCrLf) *o++ = '\r';
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (p[++i] - 0xDC00);  // beyond GBK's reach
        o = EncodeGbk(t, cp, o);
    }
    out.resize((size_t)(o - out.data()));
    return out;
}

const char16_t* GbkPairTable() { return Tables().toUnicode.data(); }

bool IsExactGbk(const char* p, size_t n) {
    const GbkTables& t = Tables();
    for (size_t i = 0; i < n;) {
        unsigned char b = (unsigned char)p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        GbkChar c = GbkDecodeChar(p, n, i);
        if (c.kind != GbkCharKind::Valid) return false;
        if (c.length == 2 &&
            t.fromUnicode[c.codePoint] != ((unsigned char)p[i] << 8 | (unsigned char)p[i + 1]))
            return false;  // a second code for a character that has another
        i += (size_t)c.length;
    }
    return true;
}

size_t GbkToUtf16(const char* p, size_t n, char16_t* out) {
    size_t k = 0;
    for (size_t i = 0; i < n;) {
        unsigned char b = (unsigned char)p[i];
        if (b < 0x80) {
            out[k++] = b;
            ++i;
            continue;
        }
        GbkChar c = GbkDecodeChar(p, n, i);
        out[k++] = c.kind == GbkCharKind::Valid ? (char16_t)c.codePoint : u'\uFFFD';
        i += (size_t)c.length;
    }
    return k;
}

CString Utf8ToGbk(const char* p, size_t n) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(p);
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n;) {
        char32_t cp = 0;
        size_t len = DecodeUtf8(s, n, i, cp);
        if (len == 0) {  // a malformed byte stands for one unknown character
            out += '?';
            i++;
            continue;
        }
        i += len;
        AppendGbk(out, cp);
    }
    return CString(out.data(), (INT_PTR)out.size());
}
CString Utf8ToGbk(const std::string& str) { return Utf8ToGbk(str.data(), str.size()); }
