// The receive display's scroll bar, repainted only when what it shows changes.
#include "platform/logview/logview_scrollbar.h"

#include <QMetaObject>
#include <QStyle>
#include <QStyleOptionSlider>

void QuietScrollBar::sliderChange(SliderChange change) {
    if (change == SliderOrientationChange) {
        QScrollBar::sliderChange(change);
        return;
    }
    if (m_bCheckPosted) return;
    m_bCheckPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_bCheckPosted = false;
            if (Shown() != m_shown) update();
        },
        Qt::QueuedConnection);
}

void QuietScrollBar::paintEvent(QPaintEvent* e) {
    m_shown = Shown();
    QScrollBar::paintEvent(e);
}

std::tuple<QRect, bool, bool> QuietScrollBar::Shown() const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    QRect r = style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, this);
    return {r, value() == minimum(), value() == maximum()};
}
