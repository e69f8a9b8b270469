// CDisplayGroup: the settings box's 显示 group: a stamp on every line (with the delta), hex
// rows and their width, the receive display's monospaced face and pixel size. Owned by the
// settings box, which hands it the data exchange and reads it back on OK.
#pragma once
#include <string>
#include <vector>

#include "options/DisplaySettings.h"
#include "platform/afx.h"

class CDisplayGroup {
public:
    explicit CDisplayGroup(const CDisplaySettings& display) : m_display(display) {}

    void DoDataExchange(CDataExchange* pDX);
    // Fills the lists and sets the members from the options, between the box's first
    // exchange (which attaches the controls) and the one that shows the members.
    void Init();
    // The options as the user left them, after the box's UpdateData(TRUE). A size that is not
    // a whole number of pixels in range keeps the one before.
    void Read(CDisplaySettings& display) const;

private:
    CDisplaySettings m_display;
    CComboBox m_cbRowBytes;
    CComboBox m_cbFace;
    std::vector<std::string> m_faces;  // UTF-8, after the window's own face at index 0
    BOOL m_bLineStamps = FALSE;
    BOOL m_bStampDelta = FALSE;
    BOOL m_bHexRows = FALSE;
    int m_nRowBytes = 1;
    int m_nFace = 0;
    CString m_strFontPx;
};
