// The receive display's accessible text, and the events that tell assistive technology of
// new text and of the selection.
#include "platform/logview/logview_access.h"

#include <QAccessible>
#include <algorithm>
#include <climits>

#include "platform/logview/logview.h"
#include "platform/logview/logview_words.h"

namespace {
int Clamp(int64_t v) { return (int)std::clamp<int64_t>(v, 0, INT_MAX); }

QString FromU16(const std::u16string& s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), (qsizetype)s.size());
}

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (auto* view = qobject_cast<LogView*>(object)) return new LogViewAccessible(view);
    return nullptr;
}
}  // namespace

void LogViewAccessible::Install() {
    static bool s_bInstalled = false;
    if (s_bInstalled) return;
    s_bInstalled = true;
    QAccessible::installFactory(&Factory);
}

LogViewAccessible::LogViewAccessible(LogView* view)
    : QAccessibleWidget(view, QAccessible::EditableText) {}

LogView* LogViewAccessible::View() const { return static_cast<LogView*>(widget()); }

void* LogViewAccessible::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QAccessible::State LogViewAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

int64_t LogViewAccessible::Unit(int64_t off) const {
    LogView* v = View();
    v->EnsureFresh();
    return v->m_textMap.UnitOfOffset(v->m_index, off);
}

int64_t LogViewAccessible::Offset(int64_t unit) const {
    LogView* v = View();
    v->EnsureFresh();
    return v->m_textMap.OffsetOfUnit(v->m_index, unit);
}

QString LogViewAccessible::text(QAccessible::Text t) const {
    // The whole text is never one string; readers take it through the text interface.
    if (t == QAccessible::Value) return QString();
    return QAccessibleWidget::text(t);
}

int LogViewAccessible::characterCount() const {
    LogView* v = View();
    v->EnsureFresh();
    return Clamp(v->m_textMap.Units(v->m_index));
}

QString LogViewAccessible::text(int startOffset, int endOffset) const {
    if (endOffset < 0) endOffset = INT_MAX;
    if (startOffset < 0 || endOffset <= startOffset) return QString();
    LogView* v = View();
    int64_t b = Offset(startOffset);
    int64_t skip = startOffset - Unit(b);  // a marker's second digit, a surrogate's second half
    int64_t n = std::min<int64_t>((int64_t)endOffset - startOffset, kMaxUnits);
    // One unit more, for a glyph of two units that the end splits.
    std::u16string s = LogTextMap::Text(v->m_index, b, v->m_index.Length(), skip + n + 1);
    return FromU16(s).mid(skip, n);
}

void LogViewAccessible::Piece(int64_t off, QAccessible::TextBoundaryType type, int64_t& b,
                              int64_t& e) const {
    const LogIndex& index = View()->m_index;
    int64_t len = index.Length();
    switch (type) {
        case QAccessible::CharBoundary:
            b = off;
            e = std::min(len, Offset(Unit(off) + 1));
            if (e == b && b < len) e = Offset(Unit(off) + 2);  // a glyph of two units
            break;
        case QAccessible::WordBoundary:
            LogWordAt(index, off, b, e);
            break;
        case QAccessible::NoBoundary:
            b = 0;
            e = len;
            break;
        default: {  // rows, with their line break
            int64_t row = index.RowOfOffset(off);
            b = index.RowStart(row);
            e = row + 1 < index.RowCount() ? index.RowStart(row + 1) : len;
        }
    }
}

QString LogViewAccessible::Range(int64_t b, int64_t e, int* startOffset, int* endOffset) const {
    int64_t ub = Unit(b), ue = e >= View()->m_index.Length() ? characterCount() : Unit(e);
    *startOffset = Clamp(ub);
    *endOffset = Clamp(ue);
    return text(*startOffset, *endOffset);
}

QString LogViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type,
                                        int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = -1;
    int n = characterCount();
    if (offset < 0 || offset > n) return QString();
    if (offset == n && type != QAccessible::NoBoundary && offset > 0 &&
        type != QAccessible::LineBoundary)
        return QString();
    int64_t b, e;
    Piece(Offset(offset), type, b, e);
    return Range(b, e, startOffset, endOffset);
}

QString LogViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType type,
                                            int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = -1;
    if (offset <= 0 || offset > characterCount() || type == QAccessible::NoBoundary)
        return QString();
    int64_t b, e;
    Piece(Offset(offset), type, b, e);
    if (b == 0) return QString();
    Piece(Offset(Unit(b) - 1), type, b, e);
    return Range(b, e, startOffset, endOffset);
}

QString LogViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType type,
                                           int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = -1;
    int64_t len = View()->m_index.Length();
    if (offset < 0 || offset >= characterCount() || type == QAccessible::NoBoundary)
        return QString();
    int64_t b, e;
    Piece(Offset(offset), type, b, e);
    if (e >= len) return QString();
    Piece(e, type, b, e);
    return Range(b, e, startOffset, endOffset);
}

void LogViewAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    LogView* v = View();
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !v->HasSelection()) return;
    *startOffset = Clamp(Unit(std::min(v->m_anchor, v->m_caret)));
    *endOffset = Clamp(Unit(std::max(v->m_anchor, v->m_caret)));
}

int LogViewAccessible::selectionCount() const { return View()->HasSelection() ? 1 : 0; }

void LogViewAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void LogViewAccessible::removeSelection(int selectionIndex) {
    LogView* v = View();
    if (selectionIndex == 0) v->SetSel(v->m_caret, v->m_caret);
}

void LogViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0) View()->SetSel(Offset(startOffset), Offset(endOffset));
}

int LogViewAccessible::cursorPosition() const { return Clamp(Unit(View()->m_caret)); }

void LogViewAccessible::setCursorPosition(int position) {
    int64_t off = Offset(position);
    View()->SetSel(off, off);
}

QRect LogViewAccessible::characterRect(int offset) const {
    LogView* v = View();
    int64_t off = Offset(offset), row = v->m_index.RowOfOffset(off);
    std::vector<LogIndex::Cell> cells;
    v->m_index.LayoutRow(row, cells);
    int col = 0, n = 1;
    for (const LogIndex::Cell& c : cells) {
        if (c.off > off) break;
        col = c.col;
        n = c.cells;
    }
    if (!cells.empty() && off >= cells.back().off + cells.back().g.len)
        col = cells.back().col + cells.back().cells;
    QPoint at(col * v->m_cellW, (int)(row - v->GetScrollPos()) * v->m_lineH);
    return QRect(v->viewport()->mapToGlobal(at), QSize(n * v->m_cellW, v->m_lineH));
}

int LogViewAccessible::offsetAtPoint(const QPoint& point) const {
    LogView* v = View();
    QPoint at = v->viewport()->mapFromGlobal(point);
    if (!v->viewport()->rect().contains(at)) return -1;
    return Clamp(Unit(v->HitTest(at)));
}

void LogViewAccessible::scrollToSubstring(int startIndex, int) {
    LogView* v = View();
    int64_t row = v->m_index.RowOfOffset(Offset(startIndex)), first = v->GetScrollPos();
    if (row < first || row >= first + v->VisibleRows())
        v->SetScrollPos((int)std::min<int64_t>(row, INT_MAX));
}

QString LogViewAccessible::attributes(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;  // one look throughout
    *endOffset = characterCount();
    return QString();
}
