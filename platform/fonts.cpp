// Fonts: creation by pixel height and face, and the substitution of faces that Windows
// programs name but Linux lacks.
#include <QFont>
#include <QFontDatabase>
#include <QString>

#include "controls.h"
#include "window_impl.h"

namespace {
// Faces named by the program, in the order of preference of their Linux stand-ins.
struct Substitute {
    const char* face;
    QStringList candidates;
};
const std::vector<Substitute>& Substitutes() {
    static const std::vector<Substitute> table = {
        {"宋体", {"AR PL UMing CN", "Noto Serif CJK SC", "Noto Sans CJK SC", "WenQuanYi Zen Hei"}},
        {"新宋体",
         {"AR PL UMing CN", "Noto Serif CJK SC", "Noto Sans CJK SC", "WenQuanYi Zen Hei"}},
        {"Arial", {"Liberation Sans", "Arimo", "DejaVu Sans"}},
        {"Consolas", {"DejaVu Sans Mono", "Liberation Mono", "Noto Mono"}},
    };
    return table;
}
}  // namespace

void kvimpl::InstallFontSubstitutes() {
    QStringList installed = QFontDatabase::families();
    for (const Substitute& s : Substitutes()) {
        QStringList present;
        for (const QString& c : s.candidates)
            if (installed.contains(c)) present << c;
        // CJK text in any face falls back to the Song face too.
        if (present.isEmpty()) continue;
        QFont::insertSubstitutions(QString::fromUtf8(s.face), present);
    }
}

QFont kvimpl::TemplateFont(const char* faceGbk, int pixelHeight, int weight) {
    QFont f(kvimpl::FromGbk(CString(faceGbk)));
    f.setPixelSize(std::max(pixelHeight, 1));
    // Windows weights are 1..1000; Qt 6 uses the same scale.
    f.setWeight(static_cast<QFont::Weight>(std::min(std::max(weight, 100), 900)));
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

const QFont* kvimpl::QFontOf(const CFont* pFont) {
    return static_cast<const QFont*>(pFont->GetImpl());
}

CFont::~CFont() { delete static_cast<QFont*>(m_pFont); }

BOOL CFont::CreateFont(int nHeight, int, int, int, int nWeight, BYTE bItalic, BYTE bUnderline,
                       BYTE cStrikeOut, BYTE, BYTE, BYTE, BYTE, BYTE, LPCSTR lpszFacename) {
    if (m_pFont) return FALSE;
    // A positive height is the cell height, a negative one the character height; both are
    // taken as the pixel size here, which is what the eye compares.
    QFont f =
        kvimpl::TemplateFont(lpszFacename ? lpszFacename : "", nHeight < 0 ? -nHeight : nHeight,
                             nWeight == 0 ? FW_NORMAL : nWeight);
    f.setItalic(bItalic != 0);
    f.setUnderline(bUnderline != 0);
    f.setStrikeOut(cStrikeOut != 0);
    m_pFont = new QFont(f);
    return TRUE;
}
