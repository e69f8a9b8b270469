// The dialog's widget: keys, closing, resizing, painting and the system menu.
#include "platform/ui/dialog_widget.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "platform/logview/logview.h"
#include "platform/ui/controls.h"
#include "platform/ui/dc.h"
#include "platform/ui/qtext.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

DialogWidget::DialogWidget(CWnd* owner, QWidget* parent) : QDialog(parent), m_owner(owner) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Alt+Space and Alt+F4 belong to the window, whichever control has the focus: they reach
    // the dialog before a focused button presses itself or an edit types a space.
    qApp->installEventFilter(this);
}

bool DialogWidget::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::KeyPress && o->isWidgetType() &&
        static_cast<QWidget*>(o)->window() == this) {
        auto* k = static_cast<QKeyEvent*>(e);
        // The dialog's accelerators, before the focused control sees the key.
        if (WORD cmd = m_accelerator ? m_accelerator(k->key(), (int)k->modifiers()) : 0) {
            kvimpl::Dispatch(m_owner, WM_COMMAND, MAKEWPARAM(cmd, 1), 0);
            return true;
        }
        // Shift+F10 and the Menu key: the receive view's menu when it has the focus, the
        // window's menu elsewhere.
        const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
        if ((k->key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
            (k->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
            ShowKeyboardMenu();
            return true;
        }
        if (k->modifiers() & Qt::AltModifier) {
            if (k->key() == Qt::Key_Space) {
                ShowSystemMenu(0, 0);
                return true;
            }
            if (k->key() == Qt::Key_F4) {
                kvimpl::Dispatch(m_owner, WM_SYSCOMMAND, SC_CLOSE, 0);
                return true;
            }
        }
    }
    return QDialog::eventFilter(o, e);
}

void DialogWidget::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Escape:
            kvimpl::Dispatch(m_owner, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            // A focused push button is pressed; everywhere else Enter is the dialog's OK.
            if (auto* b = qobject_cast<QPushButton*>(focusWidget())) {
                b->animateClick();
                return;
            }
            kvimpl::Dispatch(m_owner, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return;
        }
        default:
            QWidget::keyPressEvent(e);
    }
}

void DialogWidget::closeEvent(QCloseEvent* e) {
    // The close box and the window manager's close are the system menu's close command.
    e->ignore();
    kvimpl::Dispatch(m_owner, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void DialogWidget::SendSize() {
    if (!m_bSizeMessages) return;
    UINT type = isMinimized() ? SIZE_MINIMIZED : (isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED);
    int cx = type == SIZE_MINIMIZED ? 0 : width();
    int cy = type == SIZE_MINIMIZED ? 0 : height();
    kvimpl::Dispatch(m_owner, WM_SIZE, type, (LPARAM)MAKEWPARAM(cx, cy));
}

void DialogWidget::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    ApplyMinimumSize();
    SendSize();
}

void DialogWidget::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    ApplyMinimumSize();  // the window manager's frame is known once it has placed the window
}

void DialogWidget::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange) ApplyMinimumSize();
    if (e->type() == QEvent::WindowStateChange) SendSize();
}

void DialogWidget::paintEvent(QPaintEvent* e) {
    QDialog::paintEvent(e);
    QPainter painter(this);
    QPainter* saved = kvimpl::SetCurrentPainter(&painter);
    kvimpl::Dispatch(m_owner, WM_PAINT, 0, 0);
    kvimpl::SetCurrentPainter(saved);
}

void DialogWidget::contextMenuEvent(QContextMenuEvent* e) {
    // A right click on the dialog's background opens its system menu.
    QWidget* child = childAt(e->pos());
    if (child == nullptr || qobject_cast<QGroupBox*>(child)) {
        ShowSystemMenu(e->globalPos().x(), e->globalPos().y());
        e->accept();
        return;
    }
    // A control without a menu of its own (a label, a check box): the dialog may give one.
    if (HWND h = kvimpl::OwnHandleOfWidget(child)) {
        kvimpl::Dispatch(m_owner, WM_CONTEXTMENU, (WPARAM)h,
                         MAKELPARAM(e->globalPos().x(), e->globalPos().y()));
        e->accept();
    }
}

void DialogWidget::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    ApplyMinimumSize();
    // The window manager's frame may come without a move: look until it has framed us.
    m_nFrameChecks = 8;
    CheckFrameLater();
}

// The frame around the client area. A frame seen while the window system is still placing
// the window can be smaller than the window itself: that counts as none known yet.
QMargins DialogWidget::FrameMargins() const {
    const QRect f = frameGeometry(), g = geometry();
    QMargins m(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
               f.bottom() - g.bottom());
    if (m.left() < 0 || m.top() < 0 || m.right() < 0 || m.bottom() < 0) return QMargins();
    return m;
}

// Under a window manager the frame is known only once it has framed the window (and the
// window system does not always tell): until then room is kept for a title bar and borders.
QMargins DialogWidget::FrameRoom() const {
    QMargins m = FrameMargins();
    if (!m.isNull() || QGuiApplication::platformName() == QLatin1String("offscreen")) return m;
    int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    return QMargins(border, title + border, border, border);
}

static QSize Extra(const QMargins& m) { return QSize(m.left() + m.right(), m.top() + m.bottom()); }

// The window cannot be dragged smaller than the dialog's WM_SIZING handler allows: ask it what
// it makes of a window of no size, which is the whole window, frame included, and give the
// window manager the client size that leaves. The frame is known only once the window manager
// has framed the window, so this runs again as the window is shown, moved and resized. The
// minimum never passes the free area of the screen, so a small or highly scaled screen still
// holds the whole window.
void DialogWidget::ApplyMinimumSize() {
    if (!m_bSizeMessages || !(windowFlags() & Qt::WindowMaximizeButtonHint)) return;
    RECT r{0, 0, 0, 0};
    kvimpl::Dispatch(m_owner, WM_SIZING, WMSZ_BOTTOMRIGHT, (LPARAM)&r);
    const QMargins frame = FrameMargins();
    QSize min = QSize((int)(r.right - r.left), (int)(r.bottom - r.top)) - Extra(frame);
    if (QScreen* s = screen())
        min = min.boundedTo(s->availableGeometry().size() - Extra(FrameRoom()));
    if (min.width() > 0 && min.height() > 0 && min != minimumSize()) setMinimumSize(min);
    if (isVisible() && frame != m_fittedFrame) FitToScreen();
}

void DialogWidget::CheckFrameLater() {
    QTimer::singleShot(250, this, [this] {
        ApplyMinimumSize();
        if (FrameMargins().isNull() && --m_nFrameChecks > 0) CheckFrameLater();
    });
}

void DialogWidget::FitToScreen() {
    QScreen* s = screen();
    if (!s || isMaximized() || isMinimized() || isFullScreen()) return;
    m_fittedFrame = FrameMargins();  // the fit runs again once the real frame is known
    const QMargins room = FrameRoom();
    const QRect avail = s->availableGeometry();
    const QSize most = avail.size() - Extra(room);
    if (width() > most.width() || height() > most.height()) resize(size().boundedTo(most));
    // The whole window on the screen; while the frame is not known, the position given is the
    // client area's, so the room for the frame is added to it.
    const QSize whole = size() + Extra(room);
    const QRect f = frameGeometry();
    const QPoint shift = m_fittedFrame.isNull() ? QPoint(room.left(), room.top()) : QPoint();
    const QPoint at = f.topLeft() - shift;  // where the whole window's corner is
    int x = std::max(avail.left(), std::min(at.x(), avail.right() + 1 - whole.width()));
    int y = std::max(avail.top(), std::min(at.y(), avail.bottom() + 1 - whole.height()));
    x += shift.x(), y += shift.y();
    if (x != f.left() || y != f.top()) move(x, y);
}

void KvLabel::paintEvent(QPaintEvent* e) {
    CWnd* dlg = DialogWidget::OwnerOf(this);
    if (dlg) {
        CDC dc;
        CWnd* self = kvimpl::LookupWindow(kvimpl::HandleOfWidget(this));
        kvimpl::Dispatch(dlg, WM_CTLCOLOR, (WPARAM)&dc, (LPARAM)self);
        QPalette pal = palette();
        QColor c = dc.HasTextColor()
                       ? QColor(GetRValue(dc.GetTextColor()), GetGValue(dc.GetTextColor()),
                                GetBValue(dc.GetTextColor()))
                       : QApplication::palette().color(QPalette::WindowText);
        if (pal.color(QPalette::WindowText) != c) {
            pal.setColor(QPalette::WindowText, c);
            setPalette(pal);
        }
    }
    if (!PaintPlainText()) QLabel::paintEvent(e);
}

bool KvLabel::PaintPlainText() {
    const QString& t = text();
    if (t.isEmpty() || !pixmap().isNull() || wordWrap() || textFormat() == Qt::RichText ||
        (textFormat() == Qt::AutoText && Qt::mightBeRichText(t)) || frameShape() != NoFrame ||
        indent() >= 0 || margin() != 0 || !isEnabled() || t.contains(QLatin1Char('&')) ||
        !(QStyle::visualAlignment(layoutDirection(), alignment()) & Qt::AlignLeft) ||
        t.contains(QLatin1Char('\n')))
        return false;
    QRectF cr = contentsRect();
    Qt::Alignment a = alignment();
    auto top = [&](qreal h) {
        return a & Qt::AlignBottom    ? cr.bottom() + 1 - h
               : a & Qt::AlignVCenter ? cr.y() + (cr.height() - h) / 2
                                      : cr.y();
    };
    QPainter p(this);
    p.setFont(font());
    p.setPen(palette().color(foregroundRole()));
    // ASCII text (a counter) is shaped afresh, which costs a fraction of preparing a kept
    // layout for a text that changes on every refresh; the label's font has its glyphs.
    // (Bottom alignment places a kept layout on a rounding of its own: that stays below.)
    if (!(a & Qt::AlignBottom) &&
        std::all_of(t.begin(), t.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        QFontMetricsF fm(font());  // a laid-out line's height is rounded up, its ascent kept
        p.drawText(QPointF(cr.x(), top(std::ceil(fm.ascent() + fm.descent())) + fm.ascent()), t);
        return true;
    }
    if (t != m_staticText || font() != m_staticFont) {
        m_static = QStaticText(t);
        m_static.setTextFormat(Qt::PlainText);
        m_static.setPerformanceHint(QStaticText::AggressiveCaching);
        m_static.prepare(QTransform(), font());
        m_staticText = t;
        m_staticFont = font();
    }
    p.drawStaticText(QPointF(cr.x(), top(m_static.size().height())), m_static);
    return true;
}

CWnd* DialogWidget::OwnerOf(QWidget* control) {
    for (QWidget* w = control; w; w = w->parentWidget())
        if (auto* d = dynamic_cast<DialogWidget*>(w)) return d->Owner();
    return nullptr;
}

void DialogWidget::ShowKeyboardMenu() {
    QWidget* focus = focusWidget();
    LogView* view = nullptr;
    for (QWidget* w = focus; w && w != this && !view; w = w->parentWidget())
        view = qobject_cast<LogView*>(w);
    if (view && view->contextMenuPolicy() == Qt::CustomContextMenu) {
        emit view->customContextMenuRequested(QPoint(8, 8));  // near the view's corner
        return;
    }
    QPoint at = focus && focus != this ? focus->mapToGlobal(QPoint(0, focus->height()))
                                       : mapToGlobal(QPoint(0, 0));
    ShowSystemMenu(at.x(), at.y());
}

void DialogWidget::ShowSystemMenu(int x, int y) {
    CMenu* sysMenu = m_owner->GetSystemMenu(FALSE);
    if (!sysMenu) return;
    // Restore and maximise are offered only where they would change the window.
    CMenu shown;
    for (int i = 0; i < sysMenu->GetMenuItemCount(); ++i) {
        const MenuItem& it = sysMenu->GetItem(i);
        UINT flags = it.flags;
        if (it.id == SC_RESTORE && !m_owner->IsIconic() && !m_owner->IsZoomed()) flags |= MF_GRAYED;
        if (it.id == SC_MAXIMIZE && m_owner->IsZoomed()) flags |= MF_GRAYED;
        shown.AppendMenu(flags, it.id, it.text);
    }
    QMenu menu(this);
    CWnd* owner = m_owner;
    kvimpl::FillMenu(shown, menu, [owner](UINT_PTR id) {
        kvimpl::Dispatch(owner, WM_SYSCOMMAND, (WPARAM)id, 0);
    });
    QPoint at = (x || y) ? QPoint(x, y) : mapToGlobal(QPoint(0, 0));
    menu.exec(at);
}
