// The receive text's line layouts beyond the plain flow: a stamp for every line (CLineStamps)
// and hex display as dump rows (CHexRows). Both only append to the text, so that what the
// display shows is what the live log and 保存接收 get.
#pragma once
#include <cstdint>

#include "platform/afx.h"

// The stamp of each line, optionally followed by the seconds since the previous line's stamp
// ("+0.012 "), measured on the steady clock.
class CLineStamps {
public:
    // strStamp ("[yyyy/mm/dd hh:mm:ss.mmm] ") for a line starting now, with the delta when
    // bDelta; the first line after Reset has "+0.000 ".
    CString Next(const CString& strStamp, BOOL bDelta);
    void Reset() { m_bHasLast = false; }

private:
    uint64_t m_lastMs = 0;
    bool m_bHasLast = false;
};

// Hex display in rows of N bytes: the offset (bytes since the row block began, 4 hex digits or
// more), the bytes as "%02X ", then the printable characters between bars, '.' for the others:
//     0000  41 54 0D 0A  |AT..|
// A block runs across deliveries until it is ended (a silence, a stamp, an echo). A row gets
// its characters when it is full or its block ends, since the text is only appended to.
class CHexRows {
public:
    void Append(CString* pText, const unsigned char* pBytes, INT_PTR nCount, int nWidth);
    // Ends the open block: a part-filled row is padded and gets its characters and a line end;
    // the next byte starts a block at offset 0. FALSE when none was open.
    bool EndBlock(CString* pText);
    bool IsOpen() const { return m_bOpen; }

private:
    void EndRow(CString* pText);

    bool m_bOpen = false;
    int m_nWidth = 16;
    int m_nInRow = 0;       // bytes on the open row
    int64_t m_nOffset = 0;  // bytes of the block so far
    char m_chars[32] = {};  // the open row's printable column
};
