#include "convert/Convert.h"

#include <climits>

namespace {
bool IsHexDigit(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
}
int DigitValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - 0x30;
    if (ch >= 'a' && ch <= 'f') return ch - 0x57;
    if (ch >= 'A' && ch <= 'F') return ch - 0x37;
    return 0;
}
bool IsHexSeparator(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == ',';
}
}  // namespace

BOOL IsHexString(CString strText) {
    INT_PTR nLength = strText.GetLength();
    if (nLength % 2 != 0) return FALSE;
    for (INT_PTR i = 0; i < nLength; i++) {
        if (!IsHexDigit(strText.GetAt(i))) return FALSE;
    }
    return TRUE;
}

BOOL ReadLooseHex(const CString& strText, CString& bytes, INT_PTR& nBad, BOOL& bUnpaired) {
    const INT_PTR n = strText.GetLength();
    CString out;
    out.Reserve(n / 2);
    auto fail = [&](INT_PTR i, bool bLone) {
        nBad = i;
        bUnpaired = bLone ? TRUE : FALSE;
        return FALSE;
    };
    INT_PTR i = 0;
    while (i < n) {
        char ch = strText[i];
        if (IsHexSeparator(ch)) {
            i++;
            continue;
        }
        // A run of digits, or one byte after a 0x prefix.
        bool bPrefixed = ch == '0' && i + 1 < n && (strText[i + 1] == 'x' || strText[i + 1] == 'X');
        INT_PTR nStart = bPrefixed ? i + 2 : i;
        if (bPrefixed && (nStart >= n || IsHexSeparator(strText[nStart])))
            return fail(i + 1, false);
        INT_PTR nEnd = nStart;
        while (nEnd < n && IsHexDigit(strText[nEnd])) nEnd++;
        if (nEnd == nStart) return fail(nStart, false);
        if (bPrefixed && nEnd - nStart > 2) return fail(nStart + 2, false);
        if (nEnd < n && !IsHexSeparator(strText[nEnd])) return fail(nEnd, false);
        if ((nEnd - nStart) % 2 != 0) return fail(nEnd - 1, true);
        for (i = nStart; i < nEnd; i += 2) out += (char)HexPairToByte(strText[i], strText[i + 1]);
    }
    bytes = out;
    return TRUE;
}

void RemoveNonHexChars(CString& str) {
    // Same result as deleting each non-digit in place, in one pass.
    CString strDigits;
    strDigits.Reserve(str.GetLength());
    for (INT_PTR i = 0; i < str.GetLength(); i++) {
        char ch = str.GetAt(i);
        if (IsHexDigit(ch)) strDigits += ch;
    }
    if (strDigits.GetLength() != str.GetLength()) str = strDigits;
}

BYTE HexPairToByte(char chHigh, char chLow) {
    return (BYTE)((DigitValue(chHigh) * 16 + DigitValue(chLow)) & 0xFF);
}

CString HexToBytes(CString strText) {
    RemoveNonHexChars(strText);
    INT_PTR nPairs = strText.GetLength() / 2;
    CString strBytes;
    strBytes.Reserve(nPairs);
    for (INT_PTR i = 0; i < nPairs; i++) {
        strBytes += (char)HexPairToByte(strText.GetAt(2 * i), strText.GetAt(2 * i + 1));
    }
    return strBytes;
}

BOOL IsDecimalNumber(CString strText) {
    if (strText.IsEmpty() || strText.GetAt(0) == '0') return FALSE;
    for (INT_PTR i = 0; i < strText.GetLength(); i++) {
        char ch = strText.GetAt(i);
        if (ch < '0' || ch > '9') return FALSE;
    }
    return TRUE;
}

int IntervalValue(const CString& strText) {
    // atoi: leading white space, an optional sign, then digits up to the first non-digit.
    INT_PTR i = 0, n = strText.GetLength();
    while (i < n && (strText[i] == ' ' || (strText[i] >= '\t' && strText[i] <= '\r'))) i++;
    bool bNegative = false;
    if (i < n && (strText[i] == '+' || strText[i] == '-')) bNegative = strText[i++] == '-';
    long long nValue = 0;
    for (; i < n && strText[i] >= '0' && strText[i] <= '9'; i++) {
        nValue = nValue * 10 + (strText[i] - '0');
        if (nValue > (long long)INT_MAX + 1) break;  // saturated either way
    }
    if (bNegative) return nValue > (long long)INT_MAX ? INT_MIN : (int)-nValue;
    return nValue > INT_MAX ? INT_MAX : (int)nValue;
}

CString AppendLineEnding(const CString& strText, int nLineEnding) {
    static const char* const kEndings[] = {"", "\r", "\n", "\r\n"};
    if (nLineEnding < 0 || nLineEnding > 3) return strText;
    return strText + kEndings[nLineEnding];
}
