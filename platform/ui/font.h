// CFont: a font made by pixel height, weight and face. Faces that Windows programs name but
// this system lacks go through the layer's substitution table, and a stand-in wider or taller
// than the face it replaces is drawn smaller, so texts keep within boxes made for that face.
#pragma once
#include <vector>

#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"

class QFont;

class CFont {
public:
    CFont() = default;
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    // Creates the font by pixel height (a positive height is the cell height), weight,
    // character set and face.
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                    BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                    BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                    LPCSTR lpszFacename);
    BOOL CreateFontA(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                     BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                     BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                     LPCSTR lpszFacename) {
        return CreateFont(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline,
                          cStrikeOut, nCharSet, nOutPrecision, nClipPrecision, nQuality,
                          nPitchAndFamily, lpszFacename);
    }
    BOOL IsCreated() const { return m_pFont != nullptr; }
    // The handle is the font itself: WM_SETFONT takes it back as such.
    operator HFONT() const { return reinterpret_cast<HFONT>(m_pFont); }

private:
    QFont* m_pFont = nullptr;
};

// The installed monospaced faces that can draw Latin text, by name (GBK), sorted.
std::vector<CString> GetFixedPitchFaces();

#define DEFAULT_CHARSET 1
#define ANSI_CHARSET 0
#define GB2312_CHARSET 134
#define FW_NORMAL 400
#define FW_BOLD 700

namespace kvimpl {
// The layer's font for a template face (GBK) at a pixel height, substitutes applied.
QFont TemplateFont(const char* faceGbk, int pixelHeight, int weight);
// Puts the stand-ins of the faces the program names into Qt's substitution table.
void InstallFontSubstitutes();
// The font behind a handle that CFont gave out.
const QFont* QFontOf(HFONT hFont);
}  // namespace kvimpl
