// Fonts: creation by pixel height and face, and the substitution of faces that Windows
// programs name but Linux lacks.
#include "platform/ui/font.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <vector>

#include "platform/ui/qtext.h"

namespace {
// Faces named by the program, their Linux stand-ins in order of preference and, for a face
// whose texts sit in tight boxes, the largest stand-in metrics, in em: the advance of a
// digit and the cell (ascent + descent). 0 means no limit.
struct Substitute {
    const char* face;
    QStringList candidates;
    double maxAdvance;
    double maxCell;
};
const std::vector<Substitute>& Substitutes() {
    static const std::vector<Substitute> table = {
        {"宋体",
         {"AR PL UMing CN", "Noto Serif CJK SC", "Noto Sans CJK SC", "WenQuanYi Zen Hei"},
         0,
         0},
        {"新宋体",
         {"AR PL UMing CN", "Noto Serif CJK SC", "Noto Sans CJK SC", "WenQuanYi Zen Hei"},
         0,
         0},
        {"Arial", {"Liberation Sans", "Arimo", "DejaVu Sans"}, 0, 0},
        // Consolas draws the status line and the counters at 16 pixels, in labels 15 to 19
        // pixels tall that hold "RX: 1234567 Bytes" at 8 pixels a character. Windows fits
        // Consolas (0.55 em wide, 1.17 em tall) into the asked height as a whole cell; here
        // the asked height is the em, so a stand-in may be half an em wide and its ascent
        // and descent 15/16 em. Inconsolata (0.5 em wide, 1.01 em tall) was drawn after
        // Consolas; the common monospaced faces are 0.6 em wide and 1.13 to 1.36 em tall.
        {"Consolas",
         {"Inconsolata", "DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono", "Noto Mono"},
         0.5,
         15.0 / 16},
    };
    return table;
}

const Substitute* SubstituteOf(const QString& face) {
    for (const Substitute& s : Substitutes())
        if (face == QString::fromUtf8(s.face)) return &s;
    return nullptr;
}

// How far a font must shrink for its metrics to keep within the face's limits for the asked
// pixel height: 1 when they do, else the factor that brings the wider of the two into them.
double ShrinkFactor(const QFont& f, const Substitute& s, int askedPx) {
    QFontMetricsF fm(f);
    double scale = 1;
    double advance = fm.horizontalAdvance(QLatin1Char('0')), cell = fm.ascent() + fm.descent();
    // A hundredth of a pixel of slack for the rounding of advances that are exact on paper.
    if (s.maxAdvance > 0 && advance > 0)
        scale = std::min(scale, (s.maxAdvance * askedPx + 0.01) / advance);
    if (s.maxCell > 0 && cell > 0) scale = std::min(scale, (s.maxCell * askedPx + 0.01) / cell);
    return scale;
}

// The stand-ins of a face with metric limits: the installed monospaced faces, candidates
// first, those that need the least shrinking first, then in that order. Names fontconfig
// only maps to another face are left out: the metrics would be another face's.
QStringList RankedStandIns(const Substitute& s, const QStringList& installed) {
    // Other installed faces join only if the font database calls them monospaced: that costs
    // nothing, while measuring a face loads it (a desktop has hundreds, start-up would wait).
    QStringList pool = s.candidates;
    for (const QString& family : installed)
        if (!pool.contains(family) && QFontDatabase::isFixedPitch(family) &&
            !QFontDatabase::isPrivateFamily(family) &&
            QFontDatabase::writingSystems(family).contains(QFontDatabase::Latin))
            pool << family;
    const int reference = 64;  // large enough that hinting does not round the metrics
    std::vector<std::pair<double, QString>> ranked;
    for (const QString& family : pool) {
        if (!installed.contains(family)) continue;
        QFont f(family);
        f.setPixelSize(reference);
        QFontInfo info(f);
        if (info.family().compare(family, Qt::CaseInsensitive) != 0 || !info.fixedPitch()) continue;
        ranked.emplace_back(ShrinkFactor(f, s, reference), family);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList out;
    for (const auto& r : ranked) out << r.second;
    return out;
}
}  // namespace

void kvimpl::InstallFontSubstitutes() {
    QStringList installed = QFontDatabase::families();
    for (const Substitute& s : Substitutes()) {
        QStringList present;
        if (s.maxAdvance > 0 || s.maxCell > 0)
            present = RankedStandIns(s, installed);
        else
            for (const QString& c : s.candidates)
                if (installed.contains(c)) present << c;
        if (present.isEmpty()) continue;
        QFont::removeSubstitutions(QString::fromUtf8(s.face));
        QFont::insertSubstitutions(QString::fromUtf8(s.face), present);
    }
}

QFont kvimpl::TemplateFont(const char* faceGbk, int pixelHeight, int weight) {
    QFont f(kvimpl::FromGbk(CString(faceGbk)));
    f.setPixelSize(std::max(pixelHeight, 1));
    // Windows weights are 1..1000; Qt 6 uses the same scale.
    f.setWeight(static_cast<QFont::Weight>(std::min(std::max(weight, 100), 900)));
    f.setStyleStrategy(QFont::PreferAntialias);
    // A face with metric limits whose stand-in exceeds them is drawn smaller, so that its
    // texts keep within the boxes made for the face it replaces.
    if (const Substitute* s = SubstituteOf(f.family())) {
        // Never below two thirds of the asked height: a face that needs more is broken.
        const int asked = f.pixelSize(), least = std::max(asked * 2 / 3, 1);
        double scale = ShrinkFactor(f, *s, asked);
        for (int px = f.pixelSize(); scale < 1 && px > least;) {
            px = std::max(std::min(px - 1, static_cast<int>(px * scale)), least);
            f.setPixelSize(px);
            scale = ShrinkFactor(f, *s, asked);
        }
    }
    return f;
}

std::vector<CString> GetFixedPitchFaces() {
    std::vector<CString> faces;
    for (const QString& family : QFontDatabase::families())
        if (QFontDatabase::isFixedPitch(family) && !QFontDatabase::isPrivateFamily(family) &&
            QFontDatabase::writingSystems(family).contains(QFontDatabase::Latin))
            faces.push_back(kvimpl::ToGbk(family));
    return faces;
}

const QFont* kvimpl::QFontOf(HFONT hFont) { return reinterpret_cast<const QFont*>(hFont); }

CFont::~CFont() { delete m_pFont; }

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
