// Conversions between typed text, hexadecimal text and bytes, shared by the send paths, the
// quick commands and the interval edit. None keeps state or touches a control. Texts are
// 8-bit units; a hex digit is 0-9, A-F or a-f and nothing else (no unit at or above 0x80 is
// one).
#pragma once
#include "platform/afx.h"

// TRUE for an even-length text made only of hex digits (the empty text included).
BOOL IsHexString(CString strText);
// The bytes that the hex digits of the text stand for; other units are skipped and an
// unpaired last digit is dropped.
CString HexToBytes(CString strText);
// Reads a hex text by the loose rule: pairs of digits, a pair optionally written 0x41 or 0X41,
// apart or run together, with spaces, tabs, line breaks and commas between them ("41 54 0D 0A ",
// "0x41,0x54", "4154"). TRUE with the bytes; otherwise FALSE with the index of the first unit
// that breaks the rule, and bUnpaired TRUE when that unit is a digit left without its pair.
BOOL ReadLooseHex(const CString& strText, CString& bytes, INT_PTR& nBad, BOOL& bUnpaired);
// Deletes every unit that is not a hex digit.
void RemoveNonHexChars(CString& str);
// One byte from two digit units; a unit that is not a hex digit counts as 0.
BYTE HexPairToByte(char chHigh, char chLow);
// TRUE for a valid timed-send interval: one or more digits, the first not 0.
BOOL IsDecimalNumber(CString strText);
// The value of an interval text as the standard string-to-integer conversion reads it,
// saturated at the 32-bit range (a run of digits too long for it gives 2147483647).
int IntervalValue(const CString& strText);
// The text with a line ending appended: nLineEnding 1 CR, 2 LF, 3 CR LF; any other value
// (0, none) leaves it as it is.
CString AppendLineEnding(const CString& strText, int nLineEnding);
