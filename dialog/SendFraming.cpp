#include "dialog/SendFraming.h"

#include "convert/Checksum.h"
#include "convert/Convert.h"

BOOL CSendFraming::ReadHex(const CString& strText, CString& bytes, CString& strError) const {
    if (!m_pSettings->m_bLooseHex) {
        if (!IsHexString(strText)) {
            strError = "Send Data Error";
            return FALSE;
        }
        bytes = HexToBytes(strText);
        return TRUE;
    }
    INT_PTR nBad = 0;
    BOOL bUnpaired = FALSE;
    if (ReadLooseHex(strText, bytes, nBad, bUnpaired)) return TRUE;
    strError = BadHexText(strText, nBad, bUnpaired);
    return FALSE;
}

CString CSendFraming::Frame(const CString& bytes, BOOL bHex) const {
    if (bytes.IsEmpty() || (!bHex && !m_pSettings->m_bChecksumText)) return bytes;
    return AppendChecksum(bytes, m_pSettings->m_nChecksum, m_pSettings->m_nChecksumOrder);
}

CString CSendFraming::BadHexText(const CString& strText, INT_PTR nBad, BOOL bUnpaired) {
    // Every unit before the first bad one is ASCII: the index counts characters.
    INT_PTR nChar = nBad + 1;
    unsigned char ch = (unsigned char)strText[nBad];
    CString strChar;
    if (ch >= 0x81 && nBad + 1 < strText.GetLength())
        strChar.Format("'%c%c'", ch, strText[nBad + 1]);
    else if (ch >= 0x20 && ch < 0x7F)
        strChar.Format("'%c'", ch);
    else
        strChar.Format("0x%02X", ch);
    CString strStatus;
    strStatus.Format(bUnpaired ? AfxTr("CSendFraming", "第%lld个字符%s不成对")
                               : AfxTr("CSendFraming", "第%lld个字符%s无效"),
                     (long long)nChar, (const char*)strChar);
    return strStatus;
}
