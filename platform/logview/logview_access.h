// What assistive technology (a screen reader, over AT-SPI) sees of the receive display: a
// read-only multi-line text whose characters are the glyphs as shown (LogTextMap), its lines
// the view's rows, with the caret and the selection. Every call serves the range it asks for
// from the row index, at most kMaxUnits characters, so a text of hundreds of MiB is never
// copied whole. Sentences and paragraphs are served as rows. Install() registers the
// interface's factory (once, however often it is called): the dialog layer does it when it
// makes a log control. LogTextTeller tells of changes.
#pragma once
#include <QAccessibleWidget>

class LogView;

class LogViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    static constexpr int kMaxUnits = 1 << 20;
    static void Install();

    explicit LogViewAccessible(LogView* view);
    void* interface_cast(QAccessible::InterfaceType t) override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(QAccessible::Text t) const override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    LogView* View() const;
    int64_t Unit(int64_t off) const;     // bytes to characters
    int64_t Offset(int64_t unit) const;  // characters to bytes (a glyph's first)
    // The bytes of the piece of kind `type` around byte off.
    void Piece(int64_t off, QAccessible::TextBoundaryType type, int64_t& b, int64_t& e) const;
    QString Range(int64_t b, int64_t e, int* startOffset, int* endOffset) const;
};
