// Fuzzes the hex-text checks and conversion with texts of any shape: the input bytes are the
// text, 0x00 and bytes at or above 0x80 included. Each result is compared with a plain
// model of the rules: even length of hex digits only; digits kept in order, an unpaired last
// one dropped, each pair one byte. The loose reading accepts every text the strict rule does,
// with the same bytes; what it accepts reads as its digits once each 0x prefix is taken out, and
// a refusal points inside the text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/Convert.h"

namespace {
int DigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text((const char*)data, size);
    const CString str(text.data(), (INT_PTR)text.size());

    std::string digits;
    bool allDigits = true;
    for (unsigned char c : text) {
        if (DigitValue(c) >= 0)
            digits += (char)c;
        else
            allDigits = false;
    }
    const bool wantValid = allDigits && text.size() % 2 == 0;
    if ((IsHexString(str) != FALSE) != wantValid) abort();

    std::string wantBytes;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        wantBytes += (char)(DigitValue(digits[i]) * 16 + DigitValue(digits[i + 1]));
    const CString bytes = HexToBytes(str);
    if (std::string(bytes.GetString(), (size_t)bytes.GetLength()) != wantBytes) abort();

    CString kept = str;
    RemoveNonHexChars(kept);
    if (std::string(kept.GetString(), (size_t)kept.GetLength()) != digits) abort();
    if (str.GetLength() != (INT_PTR)size) abort();  // the argument is a copy

    CString loose;
    INT_PTR nBad = -1;
    BOOL bUnpaired = FALSE;
    if (ReadLooseHex(str, loose, nBad, bUnpaired)) {
        std::string unprefixed;
        for (size_t i = 0; i < text.size(); ++i) {
            if ((text[i] == 'x' || text[i] == 'X') && !unprefixed.empty() &&
                unprefixed.back() == '0')
                unprefixed.pop_back();
            else
                unprefixed += text[i];
        }
        const CString want = HexToBytes(CString(unprefixed.data(), (INT_PTR)unprefixed.size()));
        if (loose != want) abort();
    } else {
        if (wantValid || nBad < 0 || nBad >= (INT_PTR)size) abort();
        if (bUnpaired && DigitValue((unsigned char)text[(size_t)nBad]) < 0) abort();
    }
    return 0;
}
