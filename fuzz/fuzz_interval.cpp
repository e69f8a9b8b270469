// Fuzzes the timed-send interval check with texts of any shape and compares it with a plain
// model: one or more digits, the first not 0; the value is the decimal value saturated at
// 2147483647.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/Convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text((const char*)data, size);
    const CString str(text.data(), (INT_PTR)text.size());
    bool valid = !text.empty() && text[0] != '0';
    long long value = 0;
    for (unsigned char c : text) {
        if (c < '0' || c > '9') {
            valid = false;
            break;
        }
        value = value * 10 + (c - '0');
        if (value > INT_MAX) value = INT_MAX;
    }
    if ((IsDecimalNumber(str) != FALSE) != valid) abort();
    if (valid && IntervalValue(str) != (int)value) abort();
    return 0;
}
