// The ink a text puts in a control, by pixel: what a fit check compares with the control's
// own size.
#pragma once
#include <QImage>
#include <QMargins>
#include <QRect>
#include <QWidget>
#include <functional>

namespace kvtest {
// The control drawn grown by `grow` with show(true) against show(false): the pixels that differ,
// in device pixels of the grown control. The control is given back its geometry.
inline QRect InkOf(QWidget* w, const QMargins& grow, const std::function<void(bool)>& show) {
    const QRect own = w->geometry();
    w->setGeometry(own.marginsAdded(grow));
    show(false);
    const QImage blank = w->grab().toImage();
    show(true);
    const QImage drawn = w->grab().toImage();
    w->setGeometry(own);
    QRect ink;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (drawn.pixel(x, y) != blank.pixel(x, y)) ink |= QRect(x, y, 1, 1);
    return ink;
}
}  // namespace kvtest
