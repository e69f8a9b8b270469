// The receive display widget on the offscreen platform: edit-style line counting and
// scrolling, following a growing string, re-wrapping on resize and font changes, selecting
// with mouse and keys and copying.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <string>
#include <vector>

#include "platform/logview/logview.h"
#include "support/lines.h"

namespace {

void SendKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint pt, Qt::KeyboardModifiers mods = {}) {
    Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pt), w->mapToGlobal(QPointF(pt)), Qt::LeftButton, buttons, mods);
    QApplication::sendEvent(w, &e);
}

class LogViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(400, 300);
        view.show();
    }
    // The point at column col (fractions allowed) in the middle of visible row r.
    QPoint Cell(int r, double col) const {
        QFontMetrics fm(view.font());
        return QPoint((int)(col * fm.horizontalAdvance(QLatin1Char('0'))),
                      r * fm.lineSpacing() + fm.lineSpacing() / 2);
    }
    LogView view;
};

}  // namespace

TEST_F(LogViewTest, LineCountAndScrollingFollowTheEditControl) {
    EXPECT_EQ(view.GetLineCount(), 1);  // an empty edit has one line
    CString s = Lines(100);
    view.SetText(&s);
    EXPECT_EQ(view.GetLineCount(), 101);  // the empty line after the last CR LF counts
    int visible = view.VisibleRows();
    ASSERT_LT(visible, 100);

    view.LineScroll(view.GetLineCount());  // the last line at the bottom
    EXPECT_EQ(view.GetFirstVisibleLine(), 101 - visible);
    EXPECT_EQ(view.GetScrollPos(), 101 - visible);
    view.LineScroll(-3);
    EXPECT_EQ(view.GetFirstVisibleLine(), 98 - visible);
    view.LineScroll(-1000);
    EXPECT_EQ(view.GetFirstVisibleLine(), 0);
    view.SetScrollPos(40);
    EXPECT_EQ(view.GetFirstVisibleLine(), 40);
    EXPECT_EQ(view.verticalScrollBar()->value(), 40);

    // Growing keeps the position; the new end is reachable.
    s += Lines(50);
    view.SetText(&s);
    EXPECT_EQ(view.GetFirstVisibleLine(), 40);
    view.LineScroll(view.GetLineCount());
    EXPECT_EQ(view.GetFirstVisibleLine(), 151 - visible);

    SendKey(&view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view.GetFirstVisibleLine(), 0);
    SendKey(&view, Qt::Key_PageDown);
    EXPECT_EQ(view.GetFirstVisibleLine(), visible);
    SendKey(&view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view.GetFirstVisibleLine(), 151 - visible);

    // The wheel scrolls towards the top.
    QWheelEvent wheel(QPointF(10, 10), view.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
    EXPECT_LT(view.GetFirstVisibleLine(), 151 - visible);

    // Cleared: back to one line, position clamped.
    s.Empty();
    view.SetText(&s);
    EXPECT_EQ(view.GetLineCount(), 1);
    EXPECT_EQ(view.GetFirstVisibleLine(), 0);
}

TEST_F(LogViewTest, ShowsTheTextAsOfTheLastSetTextAndSurvivesAShrinkWithoutOne) {
    CString s = Lines(20);
    view.SetText(&s);
    s += Lines(20);
    EXPECT_EQ(view.GetLineCount(), 21);  // appended bytes wait for the next SetText
    view.SetText(&s);
    EXPECT_EQ(view.GetLineCount(), 41);
    view.LineScroll(100);
    s = "x";  // replaced behind the view's back: painting must not read the old bytes
    view.grab();
    EXPECT_EQ(view.GetLineCount(), 1);
    EXPECT_EQ(view.Index().Length(), 1);
}

TEST_F(LogViewTest, ResizeAndFontChangeRewrapKeepingTheFirstVisibleText) {
    CString s;
    for (int i = 0; i < 200; ++i) s.AppendFormat("%03d %s\n", i, (const char*)CString('y', 60));
    view.SetText(&s);
    int cols = view.WrapColumns();
    ASSERT_LT(cols, 64);  // each line wraps
    view.SetScrollPos(view.Index().RowOfOffset(100 * 65));
    int64_t before = view.Index().RowStart(view.GetFirstVisibleLine());

    view.resize(1200, 300);
    EXPECT_GT(view.WrapColumns(), 64);
    EXPECT_EQ(view.GetLineCount(), 201);
    EXPECT_EQ(view.Index().RowStart(view.GetFirstVisibleLine()), before);

    QFont big = view.font();
    big.setPixelSize(40);
    int colsBefore = view.WrapColumns();
    view.setFont(big);
    EXPECT_LT(view.WrapColumns(), colsBefore);
    EXPECT_GT(view.GetLineCount(), 201);
    EXPECT_EQ(view.Index().RowStart(view.GetFirstVisibleLine()), before);
}

TEST_F(LogViewTest, MouseAndKeysSelectAndCopyUtf8) {
    CString s("alpha \xd6\xd0\xce\xc4 beta\r\nsecond\x01line\n");
    view.SetText(&s);
    QWidget* vp = view.viewport();
    // Each selection the user finishes goes to PRIMARY as the text copied, where the
    // platform has that clipboard (offscreen has not: the texts handed to it are checked).
    std::vector<std::string> primary;
    QObject::connect(&view, &LogView::SelectionFinished, [&](const QString& text) {
        primary.push_back(text.toStdString());
        if (QApplication::clipboard()->supportsSelection()) {
            EXPECT_EQ(QApplication::clipboard()->text(QClipboard::Selection), text);
        }
    });

    SendMouse(vp, QEvent::MouseButtonPress, Cell(0, 0));
    SendMouse(vp, QEvent::MouseMove, Cell(0, 3.2));
    SendMouse(vp, QEvent::MouseButtonRelease, Cell(0, 3.2));
    EXPECT_EQ(view.SelectedUtf8(), "alp");

    SendMouse(vp, QEvent::MouseButtonPress, Cell(1, 2.7), Qt::ShiftModifier);  // extends
    SendMouse(vp, QEvent::MouseButtonRelease, Cell(1, 2.7));
    EXPECT_EQ(view.SelectedUtf8(), "alpha \xe4\xb8\xad\xe6\x96\x87 beta\r\nsec");

    // Double-click on the Chinese word (cells 6..9) selects it alone.
    SendMouse(vp, QEvent::MouseButtonDblClick, Cell(0, 7));
    SendMouse(vp, QEvent::MouseButtonRelease, Cell(0, 7));
    EXPECT_EQ(view.SelectedUtf8(), "\xe4\xb8\xad\xe6\x96\x87");
    // A click selects nothing and leaves PRIMARY alone; so does the program's own selection.
    SendMouse(vp, QEvent::MouseButtonPress, Cell(0, 1));
    SendMouse(vp, QEvent::MouseButtonRelease, Cell(0, 1));
    view.SetSel(0, 5);

    SendKey(&view, Qt::Key_A, Qt::ControlModifier);
    const std::string all = "alpha \xe4\xb8\xad\xe6\x96\x87 beta\r\nsecond\xe2\x90\x81line\n";
    EXPECT_EQ(primary, (std::vector<std::string>{"alp", all.substr(0, 22),
                                                 "\xe4\xb8\xad\xe6\x96\x87", all}));
    SendKey(&view, Qt::Key_C, Qt::ControlModifier);
    view.grab();  // paints text, a marker and the selection
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), all);

    // Typing does not change the text.
    SendKey(&view, Qt::Key_X);
    EXPECT_EQ(view.Index().Length(), s.GetLength());
}
