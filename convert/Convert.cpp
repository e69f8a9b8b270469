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
}  // namespace

BOOL IsHexString(CString strText) {
    INT_PTR nLength = strText.GetLength();
    if (nLength % 2 != 0) return FALSE;
    for (INT_PTR i = 0; i < nLength; i++) {
        if (!IsHexDigit(strText.GetAt(i))) return FALSE;
    }
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
