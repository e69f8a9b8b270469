// PlotView: the plot's picture. Curves of the store's channels over one pair of axes, drawn
// from one min/max pair per pixel column whatever the number of samples, and a legend with
// each channel's name, colour and last value (a click hides or shows a channel). The view
// follows the newest samples until the wheel zooms or a drag pans it.
#pragma once
#include <QImage>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "platform/plot/plot_columns.h"
#include "platform/plot/plot_store.h"

class QPainter;

struct PlotViewOptions {
    bool bByTime = false;  // x: arrival time in seconds, or the line index
    bool bYAuto = true;    // y: the visible data's range, or yMin..yMax
    double dYMin = -1, dYMax = 1;
    bool bDark = false;  // the dark palette
};

class PlotView : public QWidget {
    Q_OBJECT
public:
    explicit PlotView(const PlotStore* pStore, QWidget* parent = nullptr);

    void SetNames(const QStringList& names, bool bOverflow);
    void SetOptions(const PlotViewOptions& o);
    const PlotViewOptions& Options() const { return m_opt; }
    // Paused, the x range stays where it is.
    void SetPaused(bool bPaused);
    bool IsPaused() const { return m_bPaused; }
    // Back to the newest samples with the whole history in view (the wheel narrows it while
    // following; panning stops following).
    void Follow();
    bool IsFollowing() const { return m_bFollow; }
    // Shows x0..x1 and stops following.
    void SetXRange(double x0, double x1);
    uint32_t Hidden() const { return m_hidden; }
    void SetHidden(uint32_t mask);
    // The x range shown now; false with no samples.
    bool XRange(double& x0, double& x1) const;
    // The whole picture at a size (the window's export and the tests).
    QImage Picture(const QSize& size);
    // The rectangle of the curves in a picture of that size.
    QRect PlotArea(const QSize& size) const;
    static QColor ChannelColor(int ch);
    unsigned Frames() const { return m_nFrames; }

signals:
    void FollowChanged(bool bFollowing);
    // The wheel or a drag changed the y range (now fixed).
    void YChanged();

protected:
    void paintEvent(QPaintEvent*) override;
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void Render(QPainter& p, const QSize& size);
    int LegendHeight(int width) const;
    QString LegendText(int ch) const;
    void LayoutLegend(int width);
    void SetFollow(bool b);

    const PlotStore* m_pStore;
    QStringList m_names;
    bool m_bOverflow = false;
    PlotViewOptions m_opt;
    bool m_bPaused = false, m_bFollow = true;
    double m_x0 = 0, m_x1 = 1;  // the range when not following
    double m_dSpan = 0;         // while following: the width shown, 0 for the whole history
    uint32_t m_hidden = 0;
    std::vector<QRect> m_legend;  // each channel's legend entry, as last laid out
    std::vector<PlotColumn> m_cols[PlotStore::kMaxChannels];
    PlotColumnCache m_cache[PlotStore::kMaxChannels];  // the columns while following
    QImage m_canvas;                                   // the curves' area
    bool m_bDragging = false;
    QPoint m_dragFrom;
    double m_dragX0 = 0, m_dragX1 = 0, m_dragY0 = 0, m_dragY1 = 0;
    double m_shownY0 = 0, m_shownY1 = 1;  // the y range last drawn
    unsigned m_nFrames = 0;
};
