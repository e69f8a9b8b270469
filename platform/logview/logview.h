// LogView: the receive display. A read-only, multi-line view of a CString that may grow to
// hundreds of MiB; it keeps a row index over the string's bytes (LogIndex) instead of a copy,
// so a refresh after new bytes costs the new bytes and only visible rows are drawn. The dialog
// layer binds and scrolls it as a BoundTextView.
//
// Drawing: GBK text (or UTF-8, once switched) in the palette's text colour on its base colour
// (black on white by default) on a cell grid (ASCII one cell, GBK characters and wide UTF-8
// characters two);
// CR LF and a lone LF break the line; tabs run to the next multiple of 8 columns; long lines
// wrap at the view's width. Every other byte that is not text (control bytes, a lone CR, 0x7F,
// bytes that do not form a character) shows as its two hex digits in a small grey box.
// Copying gives UTF-8 with CR LF / LF kept, control bytes as Unicode control pictures and
// undecodable bytes as U+FFFD.
#pragma once
#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QFont>

#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"
#include "platform/logview/bound_text.h"
#include "platform/logview/logview_index.h"
#include "platform/logview/logview_paint.h"
#include "platform/logview/logview_style.h"
#include "platform/logview/logview_tell.h"
#include "platform/logview/logview_text.h"

class LogView : public QAbstractScrollArea, public BoundTextView {
    Q_OBJECT
    friend class LogViewAccessible;

public:
    explicit LogView(QWidget* parent = nullptr);

    // Shows the bytes of *pText as they are now (nullptr: nothing). The string must outlive
    // the view. When it is the same string and it only grew, just the new bytes are indexed.
    // The view's position (first visible row) is kept, within the new row count.
    // Indexing takes a few milliseconds at a time, so that a flood of many MiB between two
    // calls does not hold up the event loop: at least kIndexSlice bytes now, and the rest in
    // posted steps, during which a view at its end stays at its end.
    void SetText(const CString* pText) override;
    static constexpr int64_t kIndexSlice = 128 << 10;
    static constexpr int kIndexBudgetMs = 4;
    static constexpr int kShowEveryMs = 30;
    // Glyphs never drawn before that one paint draws; the rest follow in the next paint.
    static constexpr int kNewGlyphsPerPaint = 200;
    bool GlyphsPending() const { return m_bGlyphsPending; }
    // Reads the text as UTF-8 (true) or GBK (false, the default). A change indexes the text
    // afresh; a view at its end stays there.
    void SetUtf8(bool bUtf8);
    // Reads CSI escape sequences (ESC [ ... final byte): they take no cells, and SGR ones
    // (ESC [ ... m) colour the text after them; the string keeps every byte. Off (the
    // default), ESC shows as a marker like any control byte. A change indexes afresh.
    void SetAnsiColors(bool bAnsi);
    bool AnsiColors() const { return m_index.IsAnsi(); }
    // Colours the matches of the rules (or their lines) in the shown text; empty: none.
    void SetHighlights(const LogHighlights& rules);
    // Whether a view at its end stays there as the text grows and is indexed (the default);
    // off, the view stays where it is until it is scrolled.
    void SetFollowEnd(bool bFollow) { m_bFollowEnd = bFollow; }

    // Edit-control operations. Lines are visual rows.
    INT_PTR GetLineCount() const override;
    void LineScroll(INT_PTR nLines) override;  // moves the first visible row by nLines, clamped
    int GetScrollPos() const;                  // the first visible row
    void SetScrollPos(int nPos);
    INT_PTR GetFirstVisibleLine() const override;

    // Selection in byte offsets of the text (also of bytes not indexed yet).
    void SetSel(INT_PTR nStart, INT_PTR nEnd);
    void GetSel(int64_t& nStart, int64_t& nEnd) const;  // in text order
    // Scrolls the row of the selection's moving end into sight (to the middle of the view
    // when it is out of sight), indexing up to it first if need be.
    void ScrollCaret();
    std::string SelectedUtf8() const;
    void Copy() const;  // the selection to the clipboard
    void SelectAll();   // also a selection the user made (see SelectionFinished)
    bool HasSelection() const { return m_anchor != m_caret; }
    // The view's own menu (copy, select all), for a window that leaves the menu to the view.
    void ShowContextMenu(const QPoint& globalPos);

    int WrapColumns() const { return m_index.Width(); }
    int VisibleRows() const;  // rows that fit entirely, at least 1
    const LogIndex& Index() const { return m_index; }

signals:
    // A selection the user made is finished (mouse button released, select all): its text
    // as Copy gives it. The view hands it to the platform's selection clipboard (X11's
    // PRIMARY, which a middle click pastes) where there is one. Not for an empty selection,
    // nor for one the program sets (SetSel).
    void SelectionFinished(const QString& text);
    // The wheel turned with Ctrl held: a request to zoom, not a scroll. delta is in eighths
    // of a degree (120 a notch), positive away from the user.
    void ZoomWheel(int delta);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void UpdateMetrics();
    void Rewrap();
    void SyncScrollBar();
    void EnsureFresh();
    int64_t MaxFirstRow() const;
    int64_t HitTest(const QPoint& pt) const;
    void AddRow(int64_t row, int y, int64_t selB, int64_t selE);
    void IndexForAWhile();  // more slices, for up to kIndexBudgetMs
    void PostCatchUp();     // a step later, while bytes wait to be indexed
    void CatchUp();
    void Shown();                          // what the index holds now is what the view shows
    void InvalidateRowsFrom(int64_t row);  // visible rows from row on
    void FinishSelection();                // tells of a user's selection (SelectionFinished)

    LogIndex m_index;
    LogPainter m_painter;
    std::vector<LogIndex::Cell> m_cells;
    int64_t m_anchor = 0, m_caret = 0;
    int m_cellW = 8, m_lineH = 16;
    bool m_bDragging = false;
    bool m_bCatchUpPosted = false;
    bool m_bGlyphsPending = false;
    bool m_bFollowEnd = true;
    int64_t m_shownLast = 0, m_shownLen = 0;  // last row and bytes when last shown
    QElapsedTimer m_shownAt;
    // Assistive technology reads the text through LogViewAccessible (logview_access.h), in
    // characters as m_textMap counts them, and hears of changes from m_teller.
    LogTextMap m_textMap;
    LogTextTeller m_teller;
    // Colours beyond the text colour, worked out for the rows drawn (logview_style.h).
    LogStyler m_styler;
    std::vector<logview::SgrState> m_styles;
};
