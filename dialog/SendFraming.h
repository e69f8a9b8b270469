// CSendFraming: what the options make of a send. A hex send's text is read by the strict
// rule (an even run of digits) or, with 宽松十六进制, by the loose one; each frame gets the chosen
// checksum after it: hex sends always, text sends when 含文本发送 is ticked.
#pragma once
#include "options/Settings.h"
#include "platform/afx.h"

class CSendFraming {
public:
    explicit CSendFraming(const CKivernSettings* pSettings) : m_pSettings(pSettings) {}

    // The bytes of a hex send's text. FALSE when the text breaks the rule in force, with the
    // status line's text: "Send Data Error" under the strict rule; under the loose rule the
    // first bad character and its position, counted in characters from 1.
    BOOL ReadHex(const CString& strText, CString& bytes, CString& strError) const;
    // The frame as it goes on the wire. An empty frame stays empty.
    CString Frame(const CString& bytes, BOOL bHex) const;
    // The status text for a loose hex text refused at unit nBad (a GBK text).
    static CString BadHexText(const CString& strText, INT_PTR nBad, BOOL bUnpaired);

private:
    const CKivernSettings* m_pSettings;
};
