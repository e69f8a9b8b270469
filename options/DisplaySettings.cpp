#include "options/DisplaySettings.h"

void CDisplaySettings::ToJson(Json::Value& root) const {
    root["lineStamps"] = m_bLineStamps != FALSE;
    root["stampDelta"] = m_bStampDelta != FALSE;
    root["hexRows"] = m_bHexRows != FALSE;
    root["hexRowBytes"] = m_nHexRowBytes;
    root["rxFontPx"] = m_nFontPx;
    root["rxFontFace"] = m_strFontFace;
}

void CDisplaySettings::FromJson(const Json::Value& root) {
    auto flag = [&](const char* key, BOOL& b) {
        if (root[key].isBool()) b = root[key].asBool() ? TRUE : FALSE;
    };
    flag("lineStamps", m_bLineStamps);
    flag("stampDelta", m_bStampDelta);
    flag("hexRows", m_bHexRows);
    const Json::Value& bytes = root["hexRowBytes"];
    if (bytes.isInt() && (bytes.asInt() == 8 || bytes.asInt() == 16 || bytes.asInt() == 32))
        m_nHexRowBytes = bytes.asInt();
    const Json::Value& px = root["rxFontPx"];
    if (px.isInt() && px.asInt() >= KV_FONT_PX_MIN && px.asInt() <= KV_FONT_PX_MAX)
        m_nFontPx = px.asInt();
    if (root["rxFontFace"].isString()) m_strFontFace = root["rxFontFace"].asString();
}

bool CDisplaySettings::operator==(const CDisplaySettings& o) const {
    return m_bLineStamps == o.m_bLineStamps && m_bStampDelta == o.m_bStampDelta &&
           m_bHexRows == o.m_bHexRows && m_nHexRowBytes == o.m_nHexRowBytes &&
           m_nFontPx == o.m_nFontPx && m_strFontFace == o.m_strFontFace;
}
