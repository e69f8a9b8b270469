#include "options/DisplayGroup.h"

#include <algorithm>

#include "convert/Convert.h"
#include "res/resource.h"

namespace {
const int kRowBytes[] = {8, 16, 32};
const char* const kRowBytesNames[] = {TR_NOOP("CDisplayGroup", "8 字节"),
                                      TR_NOOP("CDisplayGroup", "16 字节"),
                                      TR_NOOP("CDisplayGroup", "32 字节")};
}  // namespace

void CDisplayGroup::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_SET_HEX_ROW_BYTES, m_cbRowBytes);
    DDX_Control(pDX, IDC_SET_FONT_FACE, m_cbFace);
    DDX_Check(pDX, IDC_SET_LINE_STAMPS, m_bLineStamps);
    DDX_Check(pDX, IDC_SET_STAMP_DELTA, m_bStampDelta);
    DDX_Check(pDX, IDC_SET_HEX_ROWS, m_bHexRows);
    DDX_CBIndex(pDX, IDC_SET_HEX_ROW_BYTES, m_nRowBytes);
    DDX_CBIndex(pDX, IDC_SET_FONT_FACE, m_nFace);
    DDX_Text(pDX, IDC_SET_FONT_PX, m_strFontPx);
}

void CDisplayGroup::Init() {
    for (const char* s : kRowBytesNames) m_cbRowBytes.AddString(AfxTr("CDisplayGroup", s));
    m_cbFace.AddString(AfxTr("CDisplayGroup", "默认 (新宋体)"));
    m_faces.assign(1, std::string());
    for (const CString& face : GetFixedPitchFaces()) {
        m_cbFace.AddString(face);
        m_faces.push_back((const char*)ConvertCodePage(face, CP_ACP, CP_UTF8));
    }
    // A face chosen before that is not installed now stays the choice.
    const std::string& chosen = m_display.m_strFontFace;
    auto it = std::find(m_faces.begin(), m_faces.end(), chosen);
    if (it == m_faces.end()) {
        m_cbFace.AddString(ConvertCodePage(CString(chosen.c_str()), CP_UTF8, CP_ACP));
        m_faces.push_back(chosen);
        it = m_faces.end() - 1;
    }
    m_nFace = (int)(it - m_faces.begin());
    m_bLineStamps = m_display.m_bLineStamps;
    m_bStampDelta = m_display.m_bStampDelta;
    m_bHexRows = m_display.m_bHexRows;
    m_nRowBytes =
        (int)(std::find(std::begin(kRowBytes), std::end(kRowBytes), m_display.m_nHexRowBytes) -
              std::begin(kRowBytes));
    m_strFontPx.Format("%d", m_display.m_nFontPx);
}

void CDisplayGroup::Read(CDisplaySettings& display) const {
    display.m_bLineStamps = m_bLineStamps;
    display.m_bStampDelta = m_bStampDelta;
    display.m_bHexRows = m_bHexRows;
    if (m_nRowBytes >= 0 && m_nRowBytes < (int)std::size(kRowBytes))
        display.m_nHexRowBytes = kRowBytes[m_nRowBytes];
    if (m_nFace >= 0 && m_nFace < (int)m_faces.size()) display.m_strFontFace = m_faces[m_nFace];
    if (IsDecimalNumber(m_strFontPx) && m_strFontPx.GetLength() <= 3) {
        int px = IntervalValue(m_strFontPx);
        if (px >= KV_FONT_PX_MIN && px <= KV_FONT_PX_MAX) display.m_nFontPx = px;
    }
}
