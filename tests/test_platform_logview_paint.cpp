// Painting of the receive display on the offscreen platform: what the window holds after
// ticks that append and follow the end (pixels scrolled, new rows painted) against a full
// repaint of the same state, and which parts get painted at all.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <random>

#include "platform/logview/logview.h"
#include "platform/logview/logview_glyph.h"
#include "platform/logview/logview_paint.h"
#include "support/lines.h"

namespace {

// Records the region of every paint of a widget.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
    QRegion painted;
};

// Bytes as a device sends them: text lines with GBK, tabs and control bytes, some random
// binary, and a line longer than the view is wide.
CString Chunk(std::mt19937& rng, int i) {
    CString s;
    switch (i % 4) {
        case 0:
            s.Format("[%04d] T=23.5 \xd6\xd0\xce\xc4\tOK\r\n", i);
            break;
        case 1:
            for (int k = 0; k < 40; ++k) s += (char)(rng() & 0xFF);
            break;
        case 2:
            s.Format("%d\x01\x02 %s\n", i, (const char*)CString('z', 90));
            break;
        default:
            s = "ab\xd6";  // ends in a lead byte: shown when the next chunk completes it
            break;
    }
    return s;
}

class LogViewPaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(420, 260);
        view.show();
        Settle();
    }
    void Settle() {
        for (int i = 0; i < 3 || (view.GlyphsPending() && i < 100); ++i)
            QApplication::processEvents();
    }
    // The pixels the window holds now, and a fresh paint of the whole view, as images of the
    // viewport.
    QImage OnScreen() {
        QRect vp = view.viewport()->geometry();
        QPixmap win = QGuiApplication::primaryScreen()->grabWindow(view.winId());
        return win.copy(vp).toImage().convertToFormat(QImage::Format_RGB32);
    }
    QImage Fresh() {
        return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    void Tick(const CString& more) {
        text += more;
        view.SetText(&text);
        view.LineScroll(view.GetLineCount());
        Settle();
    }
    LogView view;
    CString text;
};

}  // namespace

TEST_F(LogViewPaintTest, FollowingTheEndScrollsPixelsAndEqualsAFullRepaint) {
    std::mt19937 rng(3);
    view.SetText(&text);
    Settle();
    for (int i = 0; i < 60; ++i) {
        Tick(Chunk(rng, i));
        if (i % 6 == 5) {
            ASSERT_TRUE(OnScreen() == Fresh()) << "after tick " << i;
        }
    }
    ASSERT_GT(view.GetFirstVisibleLine(), 0);

    // One refresh bringing several pages at once: the window shows the last page as a full
    // paint of the whole view does.
    Tick(Lines(100));
    EXPECT_TRUE(OnScreen() == Fresh());

    // A selection through the end: its rows repaint, growth below it keeps it right.
    view.SetSel(text.GetLength() - 30, -1);
    Tick("tail\r\n");
    EXPECT_TRUE(OnScreen() == Fresh());

    // Scrolling back by a few rows and by more than a page.
    view.LineScroll(-3);
    Settle();
    EXPECT_TRUE(OnScreen() == Fresh());
    view.LineScroll(-200);
    Settle();
    EXPECT_TRUE(OnScreen() == Fresh());
    view.LineScroll(2);
    Settle();
    EXPECT_TRUE(OnScreen() == Fresh());
}

TEST_F(LogViewPaintTest, ATickPaintsOnlyTheNewRowsAndNothingWhenTheyAreOutOfView) {
    text += Lines(100);
    view.SetText(&text);
    view.LineScroll(view.GetLineCount());
    Settle();
    PaintSpy spy(view.viewport());
    int lineH = view.fontMetrics().lineSpacing();

    // One new line while following the end: the old last row and the new one, no more.
    Tick("one more\r\n");
    QRect r = spy.painted.boundingRect();
    EXPECT_FALSE(spy.painted.isEmpty());
    EXPECT_LE(r.height(), 2 * lineH + view.viewport()->height() % lineH);
    EXPECT_EQ(r.bottom(), view.viewport()->height() - 1);
    EXPECT_TRUE(OnScreen() == Fresh());

    // Growth below the rows in view paints nothing; scrolling down then shows it.
    view.SetScrollPos(0);
    Settle();
    spy.painted = QRegion();
    text += "below\r\n";
    view.SetText(&text);
    Settle();
    EXPECT_TRUE(spy.painted.isEmpty());
    view.LineScroll(view.GetLineCount());
    Settle();
    EXPECT_TRUE(OnScreen() == Fresh());

    // The same length again (nothing new) paints nothing.
    spy.painted = QRegion();
    view.SetText(&text);
    Settle();
    EXPECT_TRUE(spy.painted.isEmpty());
}

TEST_F(LogViewPaintTest, GlyphsStayOnTheirCells) {
    // The same characters drawn at different columns give the same cell pictures: nothing
    // drifts along a row, whatever the font's own advances.
    CString row;
    for (int i = 0; i < 12; ++i) row += "Wi\xd6\xd0\x01";
    text = row;
    view.SetText(&text);
    Settle();
    QImage img = Fresh();
    int cw = view.fontMetrics().horizontalAdvance(QLatin1Char('0'));
    int lineH = view.fontMetrics().lineSpacing();
    int period = 6 * cw;  // W, i, a wide character and a marker
    int fit = view.WrapColumns() / 6;
    ASSERT_GE(fit, 4);
    // From the second on, each has the same neighbour on its left.
    QImage second = img.copy(period, 0, period, lineH);
    for (int k = 2; k < fit; ++k)
        EXPECT_TRUE(img.copy(k * period, 0, period, lineH) == second) << "repeat " << k;
}

TEST_F(LogViewPaintTest, AViewFullOfNewCharactersIsDrawnOverAFewPaints) {
    // Rows of GBK ideographs never drawn before: more than one paint draws at first.
    const char16_t* gbk = logview::GbkTable();
    int n = 0;
    for (int i = 0; i < 126 * 191 && n < 3 * LogView::kNewGlyphsPerPaint; ++i) {
        if (gbk[i] < 0x4E00) continue;
        text += (char)(0x81 + i / 191);
        text += (char)(0x40 + i % 191);
        if (++n % 20 == 0) text += "\r\n";
    }
    view.SetText(&text);
    view.repaint();
    EXPECT_TRUE(view.GlyphsPending());
    Settle();
    EXPECT_FALSE(view.GlyphsPending());
    EXPECT_TRUE(OnScreen() == Fresh());
}

TEST_F(LogViewPaintTest, TheScrollBarRepaintsWhenItsSliderMovesAndOnlyThen) {
    QScrollBar* bar = view.verticalScrollBar();
    auto barOnScreen = [&] {
        QRect r(bar->mapTo(&view, QPoint(0, 0)), bar->size());
        QPixmap win = QGuiApplication::primaryScreen()->grabWindow(view.winId());
        return win.copy(r).toImage().convertToFormat(QImage::Format_RGB32);
    };
    auto barFresh = [&] { return bar->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    PaintSpy spy(bar);

    // A short log that grows: the slider shrinks and moves down; what shows is never stale.
    for (int i = 0; i < 40; ++i) {
        CString line;
        line.Format("line %d\r\n", i);
        Tick(line);
        ASSERT_TRUE(barOnScreen() == barFresh()) << "after line " << i;
    }
    EXPECT_FALSE(spy.painted.isEmpty());

    // A long log at its end: the slider keeps its place and size, so a tick leaves it alone.
    text += Lines(20000);
    Tick("");
    spy.painted = QRegion();
    Tick("one more\r\n");
    Tick("and another\r\n");
    EXPECT_TRUE(spy.painted.isEmpty());
    EXPECT_TRUE(barOnScreen() == barFresh());

    // Moving away from the end moves the slider: painted again.
    view.SetScrollPos(0);
    Settle();
    EXPECT_FALSE(spy.painted.isEmpty());
    EXPECT_TRUE(barOnScreen() == barFresh());
}

TEST_F(LogViewPaintTest, AFloodIsIndexedInStepsWhileTheViewKeepsItsPlace) {
    // Random bytes: every kind of glyph, the slowest text to index.
    std::mt19937 rng(7);
    CString flood;
    std::string bytes(24 << 20, 0);
    for (char& b : bytes) b = (char)(rng() & 0xFF);
    flood.Append(bytes.data(), (INT_PTR)bytes.size());
    LogIndex whole;
    whole.SetWidth(view.WrapColumns());
    whole.Update(&flood);

    auto catchUp = [&] {
        for (int i = 0; i < 100000 && view.Index().Length() < whole.Length(); ++i)
            QApplication::processEvents();
        Settle();
    };
    // Following the end: the first call indexes a part; the steps after it keep the view at
    // the end until all is indexed.
    text = Lines(50);
    view.SetText(&text);
    view.LineScroll(view.GetLineCount());
    text += flood;
    whole.Update(&text);
    view.SetText(&text);
    view.LineScroll(view.GetLineCount());
    EXPECT_GE(view.Index().Length(), LogView::kIndexSlice);
    EXPECT_LT(view.Index().Length(), text.GetLength());
    catchUp();
    ASSERT_EQ(whole.Length(), view.Index().Length());
    EXPECT_EQ(whole.RowCount(), view.GetLineCount());
    EXPECT_EQ(view.GetLineCount() - view.VisibleRows(), view.GetFirstVisibleLine());
    EXPECT_TRUE(OnScreen() == Fresh());

    // Scrolled back to the start: it stays there while the rest is indexed.
    text = Lines(50);
    view.SetText(&text);
    text += flood;
    whole.Update(&text);
    view.SetScrollPos(0);
    view.SetText(&text);
    catchUp();
    EXPECT_EQ(whole.RowCount(), view.GetLineCount());
    EXPECT_EQ(0, view.GetFirstVisibleLine());
    EXPECT_TRUE(OnScreen() == Fresh());

    // Following the end while steps are pending, then told not to (reading back): it stays.
    text = Lines(50);
    view.SetText(&text);
    text += flood;
    whole.Update(&text);
    view.SetText(&text);
    view.LineScroll(view.GetLineCount());
    INT_PTR first = view.GetFirstVisibleLine();
    view.SetFollowEnd(false);
    catchUp();
    EXPECT_EQ(whole.RowCount(), view.GetLineCount());
    EXPECT_EQ(first, view.GetFirstVisibleLine());
    view.SetFollowEnd(true);

    // Cleared while steps are pending: they stop, and the empty text shows.
    text += flood;
    view.SetText(&text);
    text = "";
    view.SetText(&text);
    Settle();
    EXPECT_EQ(1, view.GetLineCount());
    EXPECT_TRUE(OnScreen() == Fresh());
}

// The quick way takes a character's advance from the font's design (one em) where a text
// layout takes the hinted one, which for a few glyphs is a pixel less: such a glyph may sit
// half a pixel off the centre of its cells, never more.
TEST(LogPainter, FullWidthCharactersArePlacedAsATextLayoutPlacesThem) {
    for (int px : {14, 20}) {
        QFont font(QStringLiteral("AR PL UMing CN"));
        font.setPixelSize(px);
        LogPainter painter;
        painter.SetFont(font);
        const char16_t* gbk = logview::GbkTable();
        int fast = 0, visited = 0, off = 0;
        for (int i = 0; i < 126 * 191; i += (i % 7 == 0 ? 1 : 13)) {  // every kind of row
            char16_t ch = gbk[i];
            if (!ch) continue;
            ++visited;
            LogPainter::Shaped s;
            if (!painter.ShapeFullWidth(ch, s)) continue;
            ++fast;
            LogPainter::Shaped want = painter.ShapeByLayout(ch);
            ASSERT_EQ(1, want.n) << std::hex << (int)ch;
            EXPECT_EQ(want.g[0].glyph, s.g[0].glyph) << std::hex << (int)ch;
            EXPECT_EQ(want.g[0].font, s.g[0].font) << std::hex << (int)ch;
            double dx = std::abs(want.g[0].pos.x() - s.g[0].pos.x());
            EXPECT_LE(dx, 0.5) << std::hex << (int)ch;
            EXPECT_LT(std::abs(want.g[0].pos.y() - s.g[0].pos.y()), 1e-6) << std::hex << (int)ch;
            off += dx > 1e-6;
        }
        // Nearly all GBK characters are ideographs of the text font, and take the quick way;
        // very few of them sit off centre.
        EXPECT_GT(fast, visited * 3 / 4) << px;
        EXPECT_LT(off, fast / 50) << px;
    }
}
