// The plot's painting (axes, grid, curves from decimated columns, legend) and its mouse.
#include "platform/plot/plot_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/lang/lang.h"

namespace {

const int kLeft = 64, kRight = 12, kBottom = 26, kLegendRow = 20, kPad = 6;

struct Palette {
    QColor back, grid, axis, text, muted;
};
Palette PaletteOf(bool bDark) {
    if (bDark)
        return {QColor(30, 30, 30), QColor(60, 60, 60), QColor(150, 150, 150),
                QColor(220, 220, 220), QColor(110, 110, 110)};
    return {Qt::white, QColor(225, 225, 225), QColor(90, 90, 90), QColor(30, 30, 30),
            QColor(170, 170, 170)};
}

// A step of 1, 2 or 5 times a power of ten giving about nWanted ticks over span.
double NiceStep(double span, int nWanted) {
    if (!(span > 0) || nWanted < 1) return 1;
    double raw = span / nWanted, p = std::pow(10.0, std::floor(std::log10(raw)));
    double m = raw / p;
    return (m < 1.5 ? 1 : m < 3.5 ? 2 : m < 7.5 ? 5 : 10) * p;
}

QString Number(double v, double step) {
    if (std::fabs(v) < step * 1e-6) v = 0;
    int decimals = step >= 1 ? 0 : std::min(9, (int)std::ceil(-std::log10(step)));
    if (std::fabs(v) >= 1e6 || (std::fabs(v) < 1e-4 && v != 0)) return QString::number(v, 'g', 4);
    return QString::number(v, 'f', decimals);
}

}  // namespace

PlotView::PlotView(const PlotStore* pStore, QWidget* parent) : QWidget(parent), m_pStore(pStore) {
    setMinimumSize(240, 160);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);  // Render fills every pixel
}

QColor PlotView::ChannelColor(int ch) {
    static const QRgb k[PlotStore::kMaxChannels] = {
        0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd, 0x8c564b, 0xe377c2, 0x7f7f7f,
        0xbcbd22, 0x17becf, 0x393b79, 0xe7ba52, 0x637939, 0xad494a, 0x7b4173, 0x3182bd};
    return QColor(k[ch & 15]);
}

void PlotView::SetNames(const QStringList& names, bool bOverflow) {
    if (names == m_names && bOverflow == m_bOverflow) return;
    m_names = names;
    m_bOverflow = bOverflow;
    update();
}

void PlotView::SetOptions(const PlotViewOptions& o) {
    if (o.bByTime != m_opt.bByTime) SetFollow(true);  // the old x range means nothing now
    m_opt = o;
    update();
}

void PlotView::SetPaused(bool bPaused) {
    if (bPaused && m_bFollow) {
        double x0, x1;
        if (XRange(x0, x1)) m_x0 = x0, m_x1 = x1;
        SetFollow(false);  // frozen where it was; resuming follows again
    }
    if (!bPaused) SetFollow(true);
    m_bPaused = bPaused;
    update();
}

void PlotView::SetFollow(bool b) {
    if (b == m_bFollow) return;
    m_bFollow = b;
    emit FollowChanged(b);
}

void PlotView::Follow() {
    m_dSpan = 0;
    SetFollow(true);
    update();
}

void PlotView::SetXRange(double x0, double x1) {
    if (!(x1 > x0)) return;
    m_x0 = x0;
    m_x1 = x1;
    SetFollow(false);
    update();
}

void PlotView::SetHidden(uint32_t mask) {
    m_hidden = mask;
    update();
}

bool PlotView::XRange(double& x0, double& x1) const {
    if (!m_bFollow) {
        x0 = m_x0, x1 = m_x1;
        return true;
    }
    if (!m_pStore->Range(m_opt.bByTime, x0, x1)) return false;
    if (m_dSpan > 0) x0 = x1 - m_dSpan;  // the newest span, as a scope rolls
    if (x1 <= x0) x1 = x0 + 1;
    return true;
}

QImage PlotView::Picture(const QSize& size) {
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    Render(p, size);
    return img;
}

// A channel's name and its last value in the x range shown (the newest while following).
QString PlotView::LegendText(int c) const {
    size_t n = m_pStore->Count(c);
    double x0, x1;
    if (!m_bFollow && XRange(x0, x1))
        n = m_pStore->LowerBound(c, m_opt.bByTime, std::nextafter(x1, INFINITY));
    return n ? m_names[c] + " " + QString::number(m_pStore->At(c, n - 1).v, 'g', 6) : m_names[c];
}

void PlotView::LayoutLegend(int width) {
    const int nCh = std::min<int>(m_names.size(), PlotStore::kMaxChannels);
    m_legend.assign(nCh, QRect());
    const QFontMetrics fm = fontMetrics();
    int x = kPad, y = kPad;
    for (int c = 0; c < nCh; ++c) {
        const QString text = LegendText(c);
        int w = 16 + fm.horizontalAdvance(text) + 14;
        if (x > kPad && x + w > width - kPad) x = kPad, y += kLegendRow;
        m_legend[c] = QRect(x, y, w, kLegendRow);
        x += w;
    }
}

int PlotView::LegendHeight(int width) const {
    const_cast<PlotView*>(this)->LayoutLegend(width);
    int h = m_legend.empty() ? 0 : m_legend.back().bottom() + 1;
    return std::max(h, kPad + kLegendRow) + (m_bOverflow ? kLegendRow : 0);
}

QRect PlotView::PlotArea(const QSize& size) const {
    const int top = LegendHeight(size.width()) + kPad;
    return QRect(kLeft, top, std::max(1, size.width() - kLeft - kRight),
                 std::max(1, size.height() - top - kBottom));
}

void PlotView::Render(QPainter& p, const QSize& size) {
    const Palette pal = PaletteOf(m_opt.bDark);
    p.fillRect(QRect(QPoint(0, 0), size), pal.back);
    const QRect area = PlotArea(size);  // lays the legend out too
    p.setFont(font());
    const QFontMetrics fm = p.fontMetrics();
    // Legend: swatch, name and last value; a hidden channel is greyed.
    for (int c = 0; c < (int)m_legend.size(); ++c) {
        const QRect& r = m_legend[c];
        const bool bHidden = m_hidden >> c & 1;
        p.fillRect(QRect(r.left(), r.top() + 5, 12, 10), bHidden ? pal.muted : ChannelColor(c));
        p.setPen(bHidden ? pal.muted : pal.text);
        const QString text = LegendText(c);
        p.drawText(QRect(r.left() + 16, r.top(), r.width() - 16, r.height()), Qt::AlignVCenter,
                   text);
    }
    if (m_bOverflow) {
        p.setPen(pal.muted);
        p.drawText(QRect(kPad, area.top() - kPad - kLegendRow, size.width(), kLegendRow),
                   Qt::AlignVCenter,
                   QString::fromStdString(AfxTrUtf8("Plot", "超过 16 个通道，其余的已忽略")));
    }
    double x0, x1;
    const bool bAny = XRange(x0, x1);
    const int nCols = area.width();
    // While following, the columns sit on a fixed grid of width w so that the cache can reuse
    // them from picture to picture: x0 moves up to the next column edge (what is older than
    // that, less than a column, is left out). w is rounded up to a step of 1/4096 of an octave,
    // so that a span that wavers a little keeps its grid, and the newest sample stays inside.
    double w = 0;
    long long j0 = 0;
    if (bAny && m_bFollow && nCols > 1) {
        w = std::exp2(std::ceil(std::log2((x1 - x0) / nCols * (1 + 1e-9)) * 4096) / 4096);
        j0 = (long long)std::ceil(x0 / w);
        x0 = j0 * w;
        x1 = (j0 + nCols) * w;
    }
    // Decimate the shown channels and find the y range.
    double y0 = m_opt.dYMin, y1 = m_opt.dYMax;
    bool bY = false;
    for (int c = 0; c < PlotStore::kMaxChannels; ++c) {
        if (!bAny || (m_hidden >> c & 1) || !m_pStore->Count(c)) {
            m_cols[c].clear();
            continue;
        }
        m_cols[c].resize(nCols);
        if (w > 0)
            m_cache[c].Columns(*m_pStore, c, m_opt.bByTime, w, j0, nCols, m_cols[c].data());
        else
            m_pStore->Decimate(c, m_opt.bByTime, x0, x1, nCols, m_cols[c].data());
        if (!m_opt.bYAuto) continue;
        for (const PlotColumn& col : m_cols[c]) {
            if (!col.has) continue;
            if (!bY) y0 = col.lo, y1 = col.hi, bY = true;
            y0 = std::min<double>(y0, col.lo);
            y1 = std::max<double>(y1, col.hi);
        }
    }
    if (m_opt.bYAuto) {
        if (!bY) y0 = -1, y1 = 1;
        double margin = (y1 - y0) * 0.05;
        if (margin <= 0) margin = std::max(1.0, std::fabs(y0) * 0.1);
        y0 -= margin, y1 += margin;
    }
    if (!(y1 > y0)) y1 = y0 + 1;
    m_shownY0 = y0, m_shownY1 = y1;
    if (!bAny) x0 = 0, x1 = 1;
    auto py = [&](double v) { return area.bottom() - (v - y0) / (y1 - y0) * (area.height() - 1); };
    // The area is drawn into an image of its own: the grid, then the curves' strokes written
    // straight into its pixels (a painter's line costs far more than the pixels it sets).
    if (m_canvas.size() != area.size()) m_canvas = QImage(area.size(), QImage::Format_RGB32);
    m_canvas.fill(pal.back);
    QRgb* const bits = reinterpret_cast<QRgb*>(m_canvas.bits());
    const qsizetype stride = m_canvas.bytesPerLine() / (qsizetype)sizeof(QRgb);
    QPainter g(&m_canvas);
    g.translate(-area.left(), -area.top());
    // Grid and tick labels.
    const double ys = NiceStep(y1 - y0, std::max(2, area.height() / 50));
    const double xs = NiceStep(x1 - x0, std::max(2, area.width() / 100));
    g.setPen(pal.grid);
    p.setPen(pal.text);
    for (double v = std::ceil(y0 / ys) * ys; v <= y1; v += ys) {
        const int y = (int)std::lround(py(v));
        g.drawLine(area.left(), y, area.right(), y);
        p.drawText(QRect(0, y - 10, kLeft - 6, 20), Qt::AlignRight | Qt::AlignVCenter,
                   Number(v, ys));
    }
    for (double v = std::ceil(x0 / xs) * xs; v <= x1; v += xs) {
        const int x = area.left() + (int)std::lround((v - x0) / (x1 - x0) * (nCols - 1));
        g.drawLine(x, area.top(), x, area.bottom());
        QString label = Number(v, xs) + (m_opt.bByTime ? "s" : "");
        p.drawText(QRect(x - 60, area.bottom() + 4, 120, fm.height()), Qt::AlignHCenter, label);
    }
    // Curves: a vertical stroke from min to max in each column, joined to the column before
    // (next to it, the stroke reaches the last value before it).
    std::vector<QLine> joins;
    auto row = [&](double v) { return (int)std::lround(std::clamp(py(v), -1e6, 1e6)); };
    for (int c = 0; c < PlotStore::kMaxChannels; ++c) {
        if (m_cols[c].empty()) continue;
        const QRgb ink = ChannelColor(c).rgb();
        joins.clear();
        int prev = -1, prevLast = 0;
        for (int i = 0; i < nCols; ++i) {
            const PlotColumn& col = m_cols[c][i];
            if (!col.has) continue;
            int top = row(col.hi), bottom = row(col.lo);
            if (prev == i - 1) {  // next to the column before: the stroke takes in the join
                top = std::min(top, prevLast);
                bottom = std::max(bottom, prevLast);
            } else if (prev >= 0) {
                joins.emplace_back(area.left() + prev, prevLast, area.left() + i, row(col.first));
            }
            top = std::max(top, area.top()) - area.top();
            bottom = std::min(bottom, area.bottom()) - area.top();
            for (QRgb* px = bits + top * stride + i; top <= bottom; ++top, px += stride) *px = ink;
            prev = i;
            prevLast = row(col.last);
        }
        if (joins.empty()) continue;
        g.setPen(QPen(ChannelColor(c), 0));
        g.drawLines(joins.data(), (int)joins.size());
    }
    g.end();
    p.drawImage(area.topLeft(), m_canvas);
    p.setPen(pal.axis);
    p.drawRect(area.adjusted(0, 0, -1, -1));
    if (m_bPaused) {
        p.setPen(pal.text);
        p.drawText(area.adjusted(0, 4, -8, 0), Qt::AlignRight | Qt::AlignTop,
                   QString::fromStdString(AfxTrUtf8("Plot", "已暂停")));
    }
}

void PlotView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Render(p, size());
    ++m_nFrames;
}

// The wheel zooms x about the pointer, or about the newest sample while following (which goes
// on with the new span); with Shift it zooms y, which then stays fixed.
void PlotView::wheelEvent(QWheelEvent* e) {
    const QRect area = PlotArea(size());
    const double f = e->angleDelta().y() > 0 ? 0.8 : 1.25;
    if (e->modifiers() & Qt::ShiftModifier) {
        const double at =
            m_shownY1 - (e->position().y() - area.top()) / area.height() * (m_shownY1 - m_shownY0);
        m_opt.bYAuto = false;
        m_opt.dYMin = at - (at - m_shownY0) * f;
        m_opt.dYMax = at + (m_shownY1 - at) * f;
        update();
        emit YChanged();
        e->accept();
        return;
    }
    double x0, x1;
    if (!XRange(x0, x1)) return;
    if (m_bFollow) {
        m_dSpan = (x1 - x0) * f;
        update();
        e->accept();
        return;
    }
    const double at = x0 + (e->position().x() - area.left()) / area.width() * (x1 - x0);
    SetXRange(at - (at - x0) * f, at + (x1 - at) * f);
    e->accept();
}

void PlotView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    for (int c = 0; c < (int)m_legend.size(); ++c)
        if (m_legend[c].contains(e->pos())) {
            SetHidden(m_hidden ^ (1u << c));
            return;
        }
    if (!PlotArea(size()).contains(e->pos()) || !XRange(m_dragX0, m_dragX1)) return;
    m_bDragging = true;
    m_dragFrom = e->pos();
    m_dragY0 = m_shownY0, m_dragY1 = m_shownY1;
}

// A drag pans x, and y when y has fixed limits.
void PlotView::mouseMoveEvent(QMouseEvent* e) {
    if (!m_bDragging) return;
    const QRect area = PlotArea(size());
    const double dx = (e->pos().x() - m_dragFrom.x()) * (m_dragX1 - m_dragX0) / area.width();
    SetXRange(m_dragX0 - dx, m_dragX1 - dx);
    if (!m_opt.bYAuto) {
        const double dy = (e->pos().y() - m_dragFrom.y()) * (m_dragY1 - m_dragY0) / area.height();
        m_opt.dYMin = m_dragY0 + dy;
        m_opt.dYMax = m_dragY1 + dy;
    }
}

void PlotView::mouseReleaseEvent(QMouseEvent*) {
    if (m_bDragging && !m_opt.bYAuto) emit YChanged();
    m_bDragging = false;
}
