#include "dialog/RxRows.h"

#include <algorithm>

CString CLineStamps::Next(const CString& strStamp, BOOL bDelta) {
    const uint64_t now = GetTickCount64();
    const uint64_t ms = m_bHasLast && now > m_lastMs ? now - m_lastMs : 0;
    m_lastMs = now;
    m_bHasLast = true;
    if (!bDelta) return strStamp;
    CString s;
    s.Format("%s+%llu.%03llu ", (const char*)strStamp, (unsigned long long)(ms / 1000),
             (unsigned long long)(ms % 1000));
    return s;
}

void CHexRows::Append(CString* pText, const unsigned char* pBytes, INT_PTR nCount, int nWidth) {
    static const char kDigits[] = "0123456789ABCDEF";
    if (!m_bOpen) {
        m_bOpen = true;
        m_nWidth = std::clamp(nWidth, 1, (int)sizeof m_chars);
        m_nInRow = 0;
        m_nOffset = 0;
    }
    char buf[3 * 1024];
    INT_PTR n = 0;
    for (INT_PTR i = 0; i < nCount; ++i) {
        if (n > (INT_PTR)sizeof buf - 16) {
            pText->Append(buf, n);
            n = 0;
        }
        if (m_nInRow == 0) {
            CString strOffset;
            strOffset.Format("%04llX  ", (unsigned long long)m_nOffset);
            pText->Append(buf, n);
            n = 0;
            *pText += strOffset;
        }
        const unsigned char b = pBytes[i];
        buf[n++] = kDigits[b >> 4];
        buf[n++] = kDigits[b & 0x0F];
        buf[n++] = ' ';
        m_chars[m_nInRow++] = b >= 0x20 && b < 0x7F ? (char)b : '.';
        ++m_nOffset;
        if (m_nInRow == m_nWidth) {
            pText->Append(buf, n);
            n = 0;
            EndRow(pText);
        }
    }
    pText->Append(buf, n);
}

void CHexRows::EndRow(CString* pText) {
    for (int i = m_nInRow; i < m_nWidth; ++i) *pText += "   ";
    *pText += " |";
    pText->Append(m_chars, m_nInRow);
    *pText += "|\r\n";
    m_nInRow = 0;
}

bool CHexRows::EndBlock(CString* pText) {
    if (!m_bOpen) return false;
    if (m_nInRow > 0) EndRow(pText);
    m_bOpen = false;
    return true;
}
