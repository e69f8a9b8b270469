// UTF-8 decoding and character widths.
#include "platform/text/utf8.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "platform/text/gbk.h"

Utf8Char Utf8DecodeChar(const char* p, size_t n, size_t i) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(p) + i;
    unsigned char b = s[0];
    if (b < 0x80) return {Utf8CharKind::Valid, b, 1};
    int len;
    char32_t cp;
    // The second byte's range carries the lead's limits: it rules out overlong forms,
    // surrogates and values past U+10FFFF before the rest arrives.
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        cp = b & 0x0F;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        cp = b & 0x07;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    } else {
        return {Utf8CharKind::Invalid, b, 1};
    }
    for (int k = 1; k < len; ++k) {
        if (i + (size_t)k >= n) return {Utf8CharKind::Incomplete, b, 1};
        unsigned char c = s[k];
        if (c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF))
            return {Utf8CharKind::Invalid, b, 1};
        cp = cp << 6 | (c & 0x3F);
    }
    return {Utf8CharKind::Valid, cp, len};
}

namespace {
struct Range {
    char32_t first, last;
};
// East Asian Wide and Fullwidth blocks, in order.
const Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
    {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
    {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
    {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x18CFF},
    {0x1AFF0, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E},
    {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF},
    {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x3FFFD},
};
}  // namespace

bool IsWideChar(char32_t cp) {
    if (cp < kWide[0].first) return false;
    auto it = std::upper_bound(std::begin(kWide), std::end(kWide), cp,
                               [](char32_t c, const Range& r) { return c < r.first; });
    return it != std::begin(kWide) && cp <= std::prev(it)->last;
}

CString ConvertCodePage(const CString& str, UINT nFrom, UINT nTo) {
    if ((nFrom == CP_UTF8) == (nTo == CP_UTF8)) return str;
    if (nTo == CP_UTF8) {
        std::string out = GbkToUtf8(str);
        return CString(out.data(), (INT_PTR)out.size());
    }
    return Utf8ToGbk(str.GetString(), (size_t)str.GetLength());
}
