// CDisplaySettings: how the receive display shows what arrives: a stamp on every line, hex
// display in dump rows, and the display's font. Every default is the plain behaviour: burst
// stamps, the "%02X " flow, the window's own font and size. Part of CKivernSettings.
#pragma once
#include <json/json.h>

#include <string>

#include "platform/afx.h"

// The receive display's font height in pixels: the window's own, and the range it may take.
#define KV_FONT_PX_DEFAULT 14
#define KV_FONT_PX_MIN 6
#define KV_FONT_PX_MAX 72

class CDisplaySettings {
public:
    BOOL m_bLineStamps = FALSE;  // a stamp on every received and sent line
    BOOL m_bStampDelta = FALSE;  // each line stamp adds the seconds since the previous line
    BOOL m_bHexRows = FALSE;     // hex display in rows: offset, bytes, printable characters
    int m_nHexRowBytes = 16;     // 8, 16 or 32
    int m_nFontPx = KV_FONT_PX_DEFAULT;
    std::string m_strFontFace;  // UTF-8; empty: the window's own face

    // Bytes per hex row when rows are on, 0 for the flow.
    int HexRowBytes() const { return m_bHexRows ? m_nHexRowBytes : 0; }

    void ToJson(Json::Value& root) const;
    // Members missing or invalid keep their value.
    void FromJson(const Json::Value& root);
    bool operator==(const CDisplaySettings& o) const;
};
