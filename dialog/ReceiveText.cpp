// The receive text: received and echoed bytes onto it, its display limit, its clearing.
#include "dialog/ReceiveText.h"

#include <cstring>

#include "dialog/LiveLog.h"

namespace {
// A cut of the receive text moves on to a line start this near.
const INT_PTR kLineStartReach = 64 << 10;
}  // namespace

bool CReceiveText::EndEcho() {
    if (!m_bEchoOpen) return false;
    m_bEchoOpen = false;
    if (!m_pText->IsEmpty() && (*m_pText)[m_pText->GetLength() - 1] != '\n') *m_pText += "\r\n";
    return true;
}

// The bytes go straight onto the text: a delivery may hold all that waited (many MiB), and a
// copy of it would only cost time and memory.
void CReceiveText::Append(const unsigned char* pBytes, INT_PTR nCount, BOOL bHex) {
    AppendShown(pBytes, nCount, bHex);
    m_pLiveLog->Log();
}

void CReceiveText::AppendShown(const unsigned char* pBytes, INT_PTR nCount, BOOL bHex) {
    if (bHex) {
        static const char kDigits[] = "0123456789ABCDEF";
        char hex[3 * 1024];
        for (INT_PTR i = 0; i < nCount;) {
            INT_PTR n = 0;
            for (; i < nCount && n < (INT_PTR)sizeof hex; ++i, n += 3) {
                hex[n] = kDigits[pBytes[i] >> 4];
                hex[n + 1] = kDigits[pBytes[i] & 0x0F];
                hex[n + 2] = ' ';
            }
            m_pText->Append(hex, n);
        }
    } else {
        const char* p = reinterpret_cast<const char*>(pBytes);
        for (INT_PTR i = 0; i < nCount;) {
            INT_PTR j = i;
            while (j < nCount && p[j] != 0) ++j;
            m_pText->Append(p + i, j - i);
            i = j + 1;
        }
    }
}

void CReceiveText::AppendLineEnd() {
    if (!m_layout.m_bLineStamps && !m_bRowsInUse) {
        *m_pText += "\r\n";
    } else {
        m_hexRows.EndBlock(m_pText);
        if (!AtLineStart()) *m_pText += "\r\n";
        m_bLineOpen = false;
    }
    m_pLiveLog->Log();
}

bool CReceiveText::AtLineStart() const {
    INT_PTR n = m_pText->GetLength();
    return n == 0 || (*m_pText)[n - 1] == '\n';
}

void CReceiveText::SetLayout(const CDisplaySettings& display) {
    if (!display.m_bHexRows || display.m_nHexRowBytes != m_layout.m_nHexRowBytes) EndHexBlock();
    if (!display.m_bLineStamps) m_bLineOpen = false;
    if (!display.m_bHexRows) m_bRowsInUse = false;
    m_layout = display;
}

CString CReceiveText::LineStamp() {
    return m_stamps.Next(m_fnStamp ? m_fnStamp() : CString(), m_layout.m_bStampDelta);
}

// The lines of one delivery share its time: the time of day is read for its first line, and
// the lines after it are 0 s later.
const CString& CReceiveText::DeliveryStamp(CString& strLater) {
    if (!strLater.IsEmpty()) return strLater;
    const CString strTime = m_fnStamp ? m_fnStamp() : CString();
    m_strFirstStamp = m_stamps.Next(strTime, m_layout.m_bStampDelta);
    strLater = m_layout.m_bStampDelta ? strTime + "+0.000 " : strTime;
    return m_strFirstStamp;
}

BOOL CReceiveText::EndHexBlock() {
    if (!m_hexRows.EndBlock(m_pText)) return FALSE;
    m_bLineOpen = false;
    m_pLiveLog->Log();
    return TRUE;
}

void CReceiveText::AppendStamp(const CString& strStamp, bool bLineStart, BOOL bHex) {
    if (!bHex || !m_layout.HexRowBytes()) {
        if (!bLineStart) *m_pText += "\r\n";
        *m_pText += strStamp;
        return;
    }
    m_hexRows.EndBlock(m_pText);
    if (!AtLineStart()) *m_pText += "\r\n";
    AppendStampLine(strStamp);
}

// Above hex rows a stamp is a line of its own.
void CReceiveText::AppendStampLine(const CString& strStamp) {
    INT_PTR n = strStamp.GetLength();
    while (n > 0 && strStamp[n - 1] == ' ') --n;
    m_pText->Append(strStamp.GetString(), n);
    *m_pText += "\r\n";
}

// A received line starts: on a line of its own, after its stamp (in hex rows, above them).
void CReceiveText::StartStampedLine(bool bRows, CString& strLater) {
    m_hexRows.EndBlock(m_pText);
    if (!AtLineStart()) *m_pText += "\r\n";
    if (bRows)
        AppendStampLine(DeliveryStamp(strLater));
    else
        *m_pText += DeliveryStamp(strLater);
    m_bLineOpen = true;
}

void CReceiveText::AppendLaidOut(const unsigned char* pBytes, INT_PTR nCount, BOOL bHex) {
    const int nRow = bHex ? m_layout.HexRowBytes() : 0;
    if (!nRow) m_hexRows.EndBlock(m_pText);  // hex display was turned off under a block
    m_bRowsInUse = nRow != 0;
    if (!m_layout.m_bLineStamps && !nRow) {
        Append(pBytes, nCount, bHex);
        return;
    }
    if (nRow && !m_hexRows.IsOpen() && !m_layout.m_bLineStamps && !AtLineStart())
        *m_pText += "\r\n";  // rows start at a line start
    CString strLater;
    for (INT_PTR i = 0; i < nCount;) {
        INT_PTR j = nCount;
        bool bLineEnd = false;
        if (m_layout.m_bLineStamps) {
            if (!m_bLineOpen) StartStampedLine(nRow != 0, strLater);
            const void* pEnd = memchr(pBytes + i, '\n', (size_t)(nCount - i));
            if (pEnd) {
                j = static_cast<const unsigned char*>(pEnd) - pBytes + 1;
                bLineEnd = true;
            }
        }
        if (nRow)
            m_hexRows.Append(m_pText, pBytes + i, j - i, nRow);
        else
            AppendShown(pBytes + i, j - i, bHex);
        if (bLineEnd) {
            m_bLineOpen = false;
            // The hex of a line ends its row block, or its flow line, at once.
            if (nRow)
                m_hexRows.EndBlock(m_pText);
            else if (bHex)
                *m_pText += "\r\n";
        }
        i = j;
    }
    m_pLiveLog->Log();
}

void CReceiveText::StartEchoLine(const CString& strStamp) {
    m_hexRows.EndBlock(m_pText);
    m_bLineOpen = false;
    INT_PTR n = m_pText->GetLength();
    if (n > 0 && (*m_pText)[n - 1] != '\n') *m_pText += "\r\n";
    *m_pText += strStamp;
    *m_pText += "TX> ";
}

void CReceiveText::Echo(const CString& bytes, BOOL bHex, const CString& strStamp) {
    StartEchoLine(strStamp);
    AppendShown(reinterpret_cast<const unsigned char*>(bytes.GetString()), bytes.GetLength(), bHex);
    m_bEchoOpen = true;
    m_pLiveLog->Log();
}

void CReceiveText::EchoNote(const CString& strNote, const CString& strStamp) {
    StartEchoLine(strStamp);
    *m_pText += strNote;
    m_bEchoOpen = true;
    m_pLiveLog->Log();
}

BOOL CReceiveText::Limit(int nLimitMiB) {
    if (nLimitMiB <= 0) return FALSE;
    INT_PTR nLimit = (INT_PTR)nLimitMiB << 20;
    INT_PTR nLength = m_pText->GetLength();
    if (nLength <= nLimit + nLimit / 8) return FALSE;
    m_pLiveLog->Log();
    INT_PTR nCut = nLength - nLimit;
    const char* p = m_pText->GetString();
    for (INT_PTR i = nCut; i < nLength && i < nCut + kLineStartReach; ++i) {
        if (p[i] == '\n') {
            nCut = i + 1;
            break;
        }
    }
    m_pText->Delete(0, nCut);
    m_pLiveLog->Dropped(nCut);
    return TRUE;
}

void CReceiveText::Clear() {
    m_pLiveLog->Log();
    m_pLiveLog->Dropped(m_pText->GetLength());
    *m_pText = "";
    m_bEchoOpen = false;
    m_bLineOpen = false;
    m_hexRows = CHexRows();
    m_stamps.Reset();
}
