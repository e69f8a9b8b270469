// The receive display's scroll bar: it repaints only when what it shows changes. While a log
// grows by many rows a second, the slider of a long log keeps its pixels, and a repaint of the
// bar would also repaint the frame and the dialog behind its (transparent) container. A
// refresh first sets the new range and then the position, so the bar looks at itself once the
// refresh is done.
#pragma once
#include <QRect>
#include <QScrollBar>
#include <tuple>

class QuietScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* e) override;

private:
    // The slider's place, and whether it touches either end (the arrows may show that).
    std::tuple<QRect, bool, bool> Shown() const;
    std::tuple<QRect, bool, bool> m_shown;
    bool m_bCheckPosted = false;
};
