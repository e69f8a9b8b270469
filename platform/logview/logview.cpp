// The receive display widget: painting, scrolling, selection and copying over a LogIndex.
#include "platform/logview/logview.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/lang/lang.h"
#include "platform/logview/logview_scrollbar.h"
#include "platform/logview/logview_words.h"

using logview::GlyphKind;

LogView::LogView(QWidget* parent) : QAbstractScrollArea(parent) {
    setVerticalScrollBar(new QuietScrollBar(Qt::Vertical, this));
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAutoFillBackground(false);
    // The paint fills every pixel it is asked for; this also lets a scroll move pixels.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_index.Update(nullptr);
    UpdateMetrics();
    connect(this, &LogView::SelectionFinished, this, [](const QString& text) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard->supportsSelection()) clipboard->setText(text, QClipboard::Selection);
    });
}

void LogView::SetText(const CString* pText) {
    // Appending changes the last row shown (it may take more glyphs) and adds rows after it.
    bool bGrew = m_index.Update(pText, kIndexSlice);
    if (!bGrew) {
        m_textMap.Reset();
        m_teller.Forget();
        m_styler.Reset();
    }
    IndexForAWhile();
    m_anchor = std::min<int64_t>(m_anchor, m_index.Length());
    m_caret = std::min<int64_t>(m_caret, m_index.Length());
    SyncScrollBar();
    if (!bGrew)
        viewport()->update();
    else if (m_index.Length() != m_shownLen)
        InvalidateRowsFrom(m_shownLast);
    Shown();
    PostCatchUp();
    m_teller.Grew(this, m_index, m_textMap);
}

void LogView::SetUtf8(bool bUtf8) {
    if (bUtf8 == m_index.IsUtf8()) return;
    QScrollBar* sb = verticalScrollBar();
    bool bAtEnd = m_bFollowEnd && sb->value() >= sb->maximum();
    const CString* pText = m_index.Text();
    m_index.SetUtf8(bUtf8);
    m_anchor = m_caret = 0;  // offsets may now fall inside a character
    SetText(pText);
    if (bAtEnd) sb->setValue((int)std::min<int64_t>(MaxFirstRow(), INT_MAX));
}

void LogView::SetAnsiColors(bool bAnsi) {
    if (bAnsi == m_index.IsAnsi()) return;
    QScrollBar* sb = verticalScrollBar();
    bool bAtEnd = m_bFollowEnd && sb->value() >= sb->maximum();
    const CString* pText = m_index.Text();
    m_index.SetAnsi(bAnsi);
    m_styler.SetAnsi(bAnsi);
    m_anchor = m_caret = 0;  // offsets may now fall inside a sequence
    SetText(pText);
    if (bAtEnd) sb->setValue((int)std::min<int64_t>(MaxFirstRow(), INT_MAX));
}

void LogView::SetHighlights(const LogHighlights& rules) {
    m_styler.SetHighlights(rules);
    viewport()->update();
}

void LogView::IndexForAWhile() {
    QElapsedTimer t;
    t.start();
    while (m_index.Behind() && t.elapsed() < kIndexBudgetMs) m_index.CatchUp(kIndexSlice);
}

void LogView::Shown() {
    m_shownLast = m_index.RowCount() - 1;
    m_shownLen = m_index.Length();
    m_shownAt.start();
}

void LogView::PostCatchUp() {
    if (!m_index.Behind() || m_bCatchUpPosted) return;
    m_bCatchUpPosted = true;
    QMetaObject::invokeMethod(
        this, [this] { CatchUp(); }, Qt::QueuedConnection);
}

void LogView::CatchUp() {
    m_bCatchUpPosted = false;
    // A string changed meanwhile (cleared) is indexed afresh by the next SetText or paint.
    if (!m_index.Behind() || m_index.IsStale()) return;
    m_index.CatchUp(kIndexSlice);
    IndexForAWhile();
    // What is new is shown about as often as a refresh would show it, and once at the end;
    // a view at its end stays there.
    if (!m_index.Behind() || !m_shownAt.isValid() || m_shownAt.elapsed() >= kShowEveryMs) {
        QScrollBar* sb = verticalScrollBar();
        bool bAtEnd = m_bFollowEnd && sb->value() >= sb->maximum();
        SyncScrollBar();
        InvalidateRowsFrom(m_shownLast);
        if (bAtEnd) sb->setValue((int)std::min<int64_t>(MaxFirstRow(), INT_MAX));
        Shown();
    }
    PostCatchUp();
}

void LogView::InvalidateRowsFrom(int64_t row) {
    int64_t top = std::max<int64_t>(row - GetScrollPos(), 0) * m_lineH;
    if (top < viewport()->height())
        viewport()->update(0, (int)top, viewport()->width(), viewport()->height() - (int)top);
}

void LogView::EnsureFresh() {
    // The string changed other than by appending and nobody called SetText: index it again
    // rather than read bytes that are gone.
    if (!m_index.IsStale()) return;
    SetText(m_index.Text());
}

INT_PTR LogView::GetLineCount() const { return (INT_PTR)m_index.RowCount(); }

int LogView::VisibleRows() const { return std::max(1, viewport()->height() / m_lineH); }

int64_t LogView::MaxFirstRow() const {
    return std::max<int64_t>(0, m_index.RowCount() - VisibleRows());
}

void LogView::SyncScrollBar() {
    QScrollBar* sb = verticalScrollBar();
    sb->setRange(0, (int)std::min<int64_t>(MaxFirstRow(), INT_MAX));
    sb->setPageStep(VisibleRows());
    sb->setSingleStep(1);
}

void LogView::LineScroll(INT_PTR nLines) {
    int64_t first = GetScrollPos() + (int64_t)nLines;
    first = std::clamp<int64_t>(first, 0, std::min<int64_t>(MaxFirstRow(), INT_MAX));
    verticalScrollBar()->setValue((int)first);
}

int LogView::GetScrollPos() const { return verticalScrollBar()->value(); }

void LogView::SetScrollPos(int nPos) { verticalScrollBar()->setValue(nPos); }

INT_PTR LogView::GetFirstVisibleLine() const { return GetScrollPos(); }

void LogView::SetSel(INT_PTR nStart, INT_PTR nEnd) {
    EnsureFresh();
    const CString* pText = m_index.Text();
    int64_t len = pText ? std::max<int64_t>(pText->GetLength(), m_index.Length()) : 0;
    m_anchor = std::clamp<int64_t>(nStart, 0, len);
    m_caret = nEnd < 0 ? len : std::clamp<int64_t>(nEnd, 0, len);
    viewport()->update();
    m_teller.Selected(this, m_index, m_textMap, m_anchor, m_caret);
}

void LogView::GetSel(int64_t& nStart, int64_t& nEnd) const {
    nStart = std::min(m_anchor, m_caret);
    nEnd = std::max(m_anchor, m_caret);
}

void LogView::ScrollCaret() {
    EnsureFresh();
    if (m_caret > m_index.Length() && m_index.Text()) {
        // Bytes that came after the last refresh: indexed now, as far as the caret.
        m_index.Update(m_index.Text(), m_caret - m_index.Length());
        while (m_index.Behind() && m_index.Length() < m_caret) m_index.CatchUp(kIndexSlice);
        SyncScrollBar();
        InvalidateRowsFrom(m_shownLast);
        Shown();
        PostCatchUp();
    }
    int64_t row = m_index.RowOfOffset(std::min(m_caret, m_index.Length()));
    int64_t first = GetScrollPos();
    if (row >= first && row < first + VisibleRows()) return;
    first =
        std::clamp<int64_t>(row - VisibleRows() / 2, 0, std::min<int64_t>(MaxFirstRow(), INT_MAX));
    verticalScrollBar()->setValue((int)first);
}

std::string LogView::SelectedUtf8() const {
    if (m_index.IsStale()) return std::string();
    return LogTextUtf8(m_index, std::min(m_anchor, m_caret), std::max(m_anchor, m_caret));
}

void LogView::Copy() const {
    std::string s = SelectedUtf8();
    if (!s.empty()) QGuiApplication::clipboard()->setText(QString::fromUtf8(s.data(), s.size()));
}

void LogView::SelectAll() {
    m_anchor = 0;
    m_caret = m_index.Length();
    viewport()->update();
    m_teller.Selected(this, m_index, m_textMap, m_anchor, m_caret);
    FinishSelection();
}

void LogView::FinishSelection() {
    std::string s = SelectedUtf8();
    if (!s.empty()) emit SelectionFinished(QString::fromUtf8(s.data(), (qsizetype)s.size()));
}

void LogView::UpdateMetrics() {
    m_painter.SetFont(font());
    m_painter.SetColors(palette().color(QPalette::Text), palette().color(QPalette::Base),
                        palette().color(QPalette::Highlight),
                        palette().color(QPalette::HighlightedText));
    m_cellW = m_painter.CellWidth();
    m_lineH = m_painter.LineHeight();
    viewport()->update();
    Rewrap();
    SyncScrollBar();
}

void LogView::Rewrap() {
    int nCols = std::max(1, viewport()->width() / m_cellW);
    if (nCols == m_index.Width()) return;
    // Keep the first visible byte in view across the new wrapping.
    int64_t anchor = m_index.RowStart(GetScrollPos());
    m_index.SetWidth(nCols);
    SyncScrollBar();
    int64_t row = m_index.RowOfOffset(anchor);
    verticalScrollBar()->setValue((int)std::min<int64_t>(row, INT_MAX));
    viewport()->update();
    Shown();  // rows are numbered afresh, and all of them are painted again
}

void LogView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    viewport()->update();
    Rewrap();
    SyncScrollBar();
}

void LogView::changeEvent(QEvent* e) {
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange ||
        e->type() == QEvent::StyleChange)
        UpdateMetrics();
}

void LogView::scrollContentsBy(int, int dy) {
    // Moves what is drawn; only the rows that come into view are painted. Areas waiting for
    // a paint move along with the pixels.
    if (std::abs(dy) > VisibleRows())
        viewport()->update();
    else
        viewport()->scroll(0, dy * m_lineH);
}

void LogView::paintEvent(QPaintEvent* e) {
    EnsureFresh();
    QPainter p(viewport());
    QRect r = e->rect();
    p.fillRect(r, palette().color(QPalette::Base));
    int64_t selB = std::min(m_anchor, m_caret), selE = std::max(m_anchor, m_caret);
    int64_t first = GetScrollPos(), rows = m_index.RowCount();
    int top = std::max(0, r.top() / m_lineH), bottom = r.bottom() / m_lineH;
    m_painter.LimitNewGlyphs(kNewGlyphsPerPaint);
    for (int i = top; i <= bottom && first + i < rows; ++i)
        AddRow(first + i, i * m_lineH, selB, selE);
    m_painter.Flush(p);
    // Characters left out for now are drawn by a paint of the whole view just after.
    if (m_painter.Deferred() && !m_bGlyphsPending) {
        m_bGlyphsPending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_bGlyphsPending = false;
                viewport()->update();
            },
            Qt::QueuedConnection);
    }
}

void LogView::AddRow(int64_t row, int y, int64_t selB, int64_t selE) {
    m_index.LayoutRow(row, m_cells);
    // A selected line break shows as one highlighted cell after the row's text.
    int breakCol = -1;
    int64_t end = selB < selE ? m_index.RowEnd(row) : -1;
    if (end >= selB && end < selE && row + 1 < m_index.RowCount() &&
        m_index.RowStart(row + 1) != end)
        breakCol = m_cells.empty() ? 0 : m_cells.back().col + m_cells.back().cells;
    if (!m_styler.Active()) {
        m_painter.AddRow(m_cells, y, selB, selE, breakCol);
        return;
    }
    m_styler.StyleRow(m_index, row, m_cells, m_styles);
    m_painter.AddStyledRow(m_cells, m_styles, y, selB, selE, breakCol);
}

int64_t LogView::HitTest(const QPoint& pt) const {
    int64_t row = GetScrollPos() + (int64_t)std::floor(pt.y() / (double)m_lineH);
    if (row < 0) return 0;
    if (row >= m_index.RowCount()) return m_index.Length();
    std::vector<LogIndex::Cell> cells;
    m_index.LayoutRow(row, cells);
    double cx = pt.x() / (double)m_cellW;
    for (const LogIndex::Cell& c : cells)
        if (cx < c.col + c.cells) return cx < c.col + c.cells / 2.0 ? c.off : c.off + c.g.len;
    return m_index.RowEnd(row);
}

void LogView::keyPressEvent(QKeyEvent* e) {
    bool ctrl = e->modifiers() & Qt::ControlModifier;
    if (e->matches(QKeySequence::Copy)) {
        Copy();
    } else if (e->matches(QKeySequence::SelectAll)) {
        SelectAll();
    } else if (e->key() == Qt::Key_PageUp) {
        LineScroll(-VisibleRows());
    } else if (e->key() == Qt::Key_PageDown) {
        LineScroll(VisibleRows());
    } else if (e->key() == Qt::Key_Up) {
        LineScroll(-1);
    } else if (e->key() == Qt::Key_Down) {
        LineScroll(1);
    } else if (ctrl && e->key() == Qt::Key_Home) {
        SetScrollPos(0);
    } else if (ctrl && e->key() == Qt::Key_End) {
        LineScroll(GetLineCount());
    } else {
        e->ignore();  // the text is not editable; let the dialog see other keys
    }
}

void LogView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    EnsureFresh();
    int64_t off = HitTest(e->position().toPoint());
    if (!(e->modifiers() & Qt::ShiftModifier)) m_anchor = off;
    m_caret = off;
    m_bDragging = true;
    viewport()->update();
}

void LogView::mouseMoveEvent(QMouseEvent* e) {
    if (!m_bDragging) return;
    EnsureFresh();
    QPoint pt = e->position().toPoint();
    if (pt.y() < 0)
        LineScroll(-1);
    else if (pt.y() >= viewport()->height())
        LineScroll(1);
    m_caret = HitTest(pt);
    viewport()->update();
}

void LogView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    m_bDragging = false;
    m_teller.Selected(this, m_index, m_textMap, m_anchor, m_caret);
    FinishSelection();  // a double click's word too: its release comes after it
}

void LogView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    EnsureFresh();
    int64_t b, end;
    LogWordAt(m_index, HitTest(e->position().toPoint()), b, end);
    m_anchor = b;
    m_caret = end;
    viewport()->update();
    m_teller.Selected(this, m_index, m_textMap, m_anchor, m_caret);
}

void LogView::contextMenuEvent(QContextMenuEvent* e) { ShowContextMenu(e->globalPos()); }

void LogView::wheelEvent(QWheelEvent* e) {
    if (!(e->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(e);
        return;
    }
    e->accept();
    if (int delta = e->angleDelta().y()) emit ZoomWheel(delta);
}

void LogView::ShowContextMenu(const QPoint& globalPos) {
    EnsureFresh();
    QMenu menu(this);
    QAction* copy = menu.addAction(QString::fromStdString(AfxTrUtf8("Layer", "复制")));
    copy->setEnabled(m_anchor != m_caret);
    QAction* all = menu.addAction(QString::fromStdString(AfxTrUtf8("Layer", "全选")));
    QAction* chosen = menu.exec(globalPos);
    if (chosen == copy)
        Copy();
    else if (chosen == all)
        SelectAll();
}
