// The receive display as assistive technology reads it through Qt's accessibility interface:
// characters as shown, rows as lines, the selection, appended text told in few events; and the
// display drawn in the palette's colours.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>

#include "platform/logview/logview.h"
#include "platform/logview/logview_access.h"
#include "platform/logview/logview_hooks.h"
#include "support/testing.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }

namespace {

std::vector<QString> g_inserted;
std::vector<int> g_insertedAt;
void Record(QAccessibleEvent* ev) {
    if (ev->type() != QAccessible::TextInserted) return;
    auto* ins = static_cast<QAccessibleTextInsertEvent*>(ev);
    g_inserted.push_back(ins->textInserted());
    g_insertedAt.push_back(ins->changePosition());
}

class LogViewAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        LogViewAccessible::Install();
        view.resize(300, 200);
        view.show();
    }
    QAccessibleTextInterface* Text() {
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(&view);
        EXPECT_TRUE(acc && acc->textInterface());
        return acc ? acc->textInterface() : nullptr;
    }
    LogView view;
    CString text;
};

// What each kind of glyph reads as, in GBK and in UTF-8; every range of it alike.
TEST_F(LogViewAccessTest, TheTextReadsAsShownInAnyRange) {
    struct Case {
        bool bUtf8;
        const char* bytes;
        const char16_t* shown;
        bool bAnsi = false;
    } cases[] = {
        {false, "OK\r\nT=1\t\xd6\xd0\x01\r", u"OK\nT=1\t\u4e2d01"},  // a lone CR waits
        {false, "a\rb\n\xff\xd6", u"a0Db\nFF"},
        {true, "\xe4\xb8\xad\xf0\x9f\x98\x80x\xc2\x85\xff\n", u"\u4e2d\U0001F600xC285FF\n"},
        // Escape sequences read: colours are not read out, a stray ESC is a marker.
        {false, "\x1b[1;31mERR\x1b[0m\x1b[2K!\x1bx\n", u"ERR!1Bx\n", true},
        {true, "\x1b[38;5;2m\xe4\xb8\xad\x1b[m", u"\u4e2d", true},
    };
    for (const Case& c : cases) {
        view.SetUtf8(c.bUtf8);
        view.SetAnsiColors(c.bAnsi);
        text = c.bytes;
        view.SetText(&text);
        QString want = QString::fromUtf16(c.shown);
        QAccessibleTextInterface* t = Text();
        ASSERT_EQ(t->characterCount(), want.size()) << c.bytes;
        for (int b = 0; b <= want.size(); ++b)
            for (int e = b; e <= want.size(); ++e)
                EXPECT_EQ(t->text(b, e), want.mid(b, e - b)) << c.bytes << " " << b << "," << e;
    }
}

// Lines are the rows the view shows (wrapped at its width), each with its line break.
TEST_F(LogViewAccessTest, LinesAreRowsAndTheSelectionIsInCharacters) {
    text = "first\r\n";
    text += CString('x', view.WrapColumns() + 3);
    text +=
        "\n\xd6\xd0\xce\xc4"
        "end";
    view.SetText(&text);
    QAccessibleTextInterface* t = Text();
    const int n = view.WrapColumns();
    const QString rows[] = {"first\n", QString(n, 'x'), "xxx\n", QString::fromUtf16(u"中文end")};
    int at = 0;
    for (const QString& row : rows) {
        for (int off : {at, at + (int)row.size() - 1}) {
            int s = -1, e = -1;
            EXPECT_EQ(t->textAtOffset(off, QAccessible::LineBoundary, &s, &e), row) << off;
            EXPECT_EQ(s, at);
            EXPECT_EQ(e, at + row.size());
        }
        at += row.size();
    }
    int s, e;
    EXPECT_EQ(t->textAfterOffset(0, QAccessible::LineBoundary, &s, &e), rows[1]);
    EXPECT_EQ(t->textBeforeOffset(at - 1, QAccessible::LineBoundary, &s, &e), rows[2]);
    EXPECT_EQ(t->textAtOffset(2, QAccessible::WordBoundary, &s, &e), "first");
    // Bytes of the view's selection in characters, and back.
    int64_t wide = text.Find("\xd6\xd0");
    view.SetSel(wide, wide + 4);
    ASSERT_EQ(t->selectionCount(), 1);
    t->selection(0, &s, &e);
    EXPECT_EQ(QString("%1,%2").arg(s).arg(e), QString("%1,%2").arg(at - 5).arg(at - 3));
    EXPECT_EQ(t->cursorPosition(), at - 3);
    t->setSelection(0, 0, 5);
    EXPECT_EQ(view.SelectedUtf8(), "first");
    t->removeSelection(0);
    EXPECT_EQ(t->selectionCount(), 0);
}

// A long text is served in ranges: a call gives at most kMaxUnits characters, and a range
// deep in the text is the text there.
TEST_F(LogViewAccessTest, ALongTextIsServedInRanges) {
    const int kLines = 200000;  // 28-byte lines, about 5.6 MB
    for (int i = 0; i < kLines; ++i) text.AppendFormat("%08d \xd6\xd0 line of text\t\x01\r\n", i);
    view.SetText(&text);
    while (view.Index().Behind()) kvtest::Pump(1);
    QAccessibleTextInterface* t = Text();
    const int perLine = 27;  // the two bytes of a GBK character and CR LF are one each
    ASSERT_EQ(t->characterCount(), kLines * perLine);
    EXPECT_EQ(t->text(0, -1).size(), LogViewAccessible::kMaxUnits);
    int at = 123456 * perLine;
    EXPECT_EQ(t->text(at, at + perLine), QString::fromUtf16(u"00123456 中 line of text\t01\n"));
}

// Appending many times in a row raises one event for all of it; the next appends another.
TEST_F(LogViewAccessTest, AppendedTextRaisesFewEventsWithAllOfIt) {
    SetLogViewEventHook(&Record);
    g_inserted.clear();
    g_insertedAt.clear();
    text = "start\n";
    view.SetText(&text);
    QString told;
    for (int burst = 0; burst < 2; ++burst) {
        for (int i = 0; i < 50; ++i) {
            text.AppendFormat("%d\xd6\xd0,", i);
            view.SetText(&text);
            told += QString::number(i) + QChar(0x4e2d) + ",";
        }
        // Told later, at once: none yet, then one.
        EXPECT_EQ(g_inserted.size(), (size_t)burst);
        ASSERT_TRUE(
            kvtest::PumpUntil([&] { return g_inserted.size() == (size_t)burst + 1; }, 2000));
    }
    SetLogViewEventHook(nullptr);
    QString all;
    for (const QString& s : g_inserted) all += s;
    EXPECT_EQ(g_inserted.size(), 2u);
    EXPECT_EQ(g_insertedAt.front(), 0);
    EXPECT_EQ(all, "start\n" + told);
}

// The display takes the palette's base and text colours; the hex boxes a shade between.
TEST_F(LogViewAccessTest, TheViewIsDrawnInThePalettesColours) {
    struct Case {
        QColor base, ink;
    } cases[] = {{Qt::white, Qt::black}, {QColor(0x20, 0x22, 0x24), QColor(0xE0, 0xE0, 0xD0)}};
    text = "MMMMMMMM\x01\x01\x01";
    for (const Case& c : cases) {
        QPalette pal = QApplication::palette();
        pal.setColor(QPalette::Base, c.base);
        pal.setColor(QPalette::Text, c.ink);
        view.setPalette(pal);
        view.SetText(&text);
        QImage img = view.viewport()->grab().toImage();
        EXPECT_EQ(img.pixelColor(img.width() - 5, img.height() - 5), c.base);
        int ink = 0, box = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                QColor p = img.pixelColor(x, y);
                auto dist = [&p](const QColor& q) {
                    return std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                           std::abs(p.blue() - q.blue());
                };
                ink += dist(c.ink) < 90;  // the glyphs' edges are smoothed
                box += p == QColor(c.base.red() + (c.ink.red() - c.base.red()) * 27 / 255,
                                   c.base.green() + (c.ink.green() - c.base.green()) * 27 / 255,
                                   c.base.blue() + (c.ink.blue() - c.base.blue()) * 27 / 255);
            }
        EXPECT_GT(ink, 20) << c.base.name().toStdString();
        EXPECT_GT(box, 20) << c.base.name().toStdString();
    }
}

}  // namespace
