// Stand-ins for faces Linux lacks: the status face is taken by its metrics, and a stand-in
// too wide or too tall for the boxes made for the original is drawn smaller.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>

#include "platform/ui/font.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

namespace {
// The limits the status face keeps to, in em of the asked pixel height.
constexpr double kMaxAdvance = 0.5, kMaxCell = 15.0 / 16;

class FontTest : public ::testing::Test {
protected:
    void TearDown() override { kvimpl::InstallFontSubstitutes(); }
};

void ExpectWithinLimits(const QFont& f, int askedPx, const QString& what) {
    QFontMetricsF fm(f);
    EXPECT_LE(fm.horizontalAdvance(QLatin1Char('0')), kMaxAdvance * askedPx + 0.01)
        << what.toStdString();
    EXPECT_LE(fm.ascent() + fm.descent(), kMaxCell * askedPx + 0.01) << what.toStdString();
}
}  // namespace

TEST_F(FontTest, TheStatusFaceIsTheInstalledMonospacedFaceThatFitsBest) {
    // Qt keeps substitutes in lower case.
    const QStringList order = QFont::substitutes(QStringLiteral("Consolas"));
    ASSERT_FALSE(order.isEmpty());
    if (QFontDatabase::families().contains(QStringLiteral("Inconsolata"))) {
        EXPECT_EQ(order.first(), QStringLiteral("inconsolata"));
    }
    // Only real monospaced faces, not names fontconfig maps to some other face.
    for (const QString& family : order) {
        QFontInfo info{QFont(family)};
        EXPECT_EQ(info.family().toLower(), family);
        EXPECT_TRUE(info.fixedPitch()) << family.toStdString();
    }
    // The face the status labels get keeps to the limits at the size asked.
    QFont f = kvimpl::TemplateFont("Consolas", 16, 800);
    ExpectWithinLimits(f, 16, QFontInfo(f).family());
}

TEST_F(FontTest, AStandInBeyondTheLimitsIsDrawnSmallerAndOneWithinThemIsNot) {
    struct Case {
        const char* standIn;
        int askedPx;
    };
    const Case cases[] = {
        {"Inconsolata", 16},     {"DejaVu Sans Mono", 16}, {"Liberation Mono", 16},
        {"DejaVu Sans Mono", 9}, {"Liberation Mono", 40},
    };
    const QStringList installed = QFontDatabase::families();
    for (const Case& c : cases) {
        const QString standIn = QString::fromLatin1(c.standIn);
        if (!installed.contains(standIn)) continue;
        const QString what = standIn + QStringLiteral(" at ") + QString::number(c.askedPx);
        QFont::removeSubstitutions(QStringLiteral("Consolas"));
        QFont::insertSubstitution(QStringLiteral("Consolas"), standIn);
        QFont f = kvimpl::TemplateFont("Consolas", c.askedPx, 800);
        EXPECT_EQ(QFontInfo(f).family(), standIn) << what.toStdString();
        ExpectWithinLimits(f, c.askedPx, what);
        // As large as the limits allow: a pixel more would break them.
        QFont bigger = f;
        bigger.setPixelSize(f.pixelSize() + 1);
        if (f.pixelSize() < c.askedPx) {
            QFontMetricsF fm(bigger);
            EXPECT_TRUE(fm.horizontalAdvance(QLatin1Char('0')) > kMaxAdvance * c.askedPx + 0.01 ||
                        fm.ascent() + fm.descent() > kMaxCell * c.askedPx + 0.01)
                << what.toStdString();
        }
        EXPECT_EQ(f.weight(), QFont::ExtraBold) << what.toStdString();
    }
    // Faces without limits keep the asked size whatever their metrics.
    EXPECT_EQ(kvimpl::TemplateFont("Arial", 15, 400).pixelSize(), 15);
}
