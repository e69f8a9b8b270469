// The receive display's colours: SGR escape sequences (every colour form, bold, reset, state
// carried across lines and deliveries), other sequences hidden, highlight rules (word, regular
// expression, whole line, precedence), and colours reaching the pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "platform/logview/logview.h"
#include "platform/logview/logview_style.h"
#include "platform/logview/logview_words.h"

using logview::GlyphKind;
using logview::SgrState;

namespace {

struct Styled {
    LogIndex index;
    LogStyler styler;
    CString text;
    Styled(bool bAnsi, const LogHighlights& rules = {}) {
        index.SetAnsi(bAnsi);
        styler.SetAnsi(bAnsi);
        styler.SetHighlights(rules);
    }
    void Add(const std::string& bytes) {
        text.Append(bytes.data(), (INT_PTR)bytes.size());
        index.Update(&text);
    }
    // The shown cells of every row with their styles.
    std::vector<std::pair<LogIndex::Cell, SgrState>> Cells() {
        std::vector<std::pair<LogIndex::Cell, SgrState>> out;
        std::vector<LogIndex::Cell> cells;
        std::vector<SgrState> styles;
        for (int64_t r = 0; r < index.RowCount(); ++r) {
            index.LayoutRow(r, cells);
            styler.StyleRow(index, r, cells, styles);
            for (size_t i = 0; i < cells.size(); ++i)
                if (cells[i].g.kind != GlyphKind::Escape) out.push_back({cells[i], styles[i]});
        }
        return out;
    }
};

constexpr uint32_t kRed = 0xFFCC0000, kGreen = 0xFF4E9A06;

TEST(LogStyle, SgrFormsColourTheCellsAfterThem) {
    struct Case {
        std::string bytes;
        SgrState last;  // the last shown cell's
    } cases[] = {
        {"\x1b[31mR", {kRed, 0, false}},
        {"\x1b[91mR", {0xFFEF2929, 0, false}},
        {"\x1b[42mG", {0, kGreen, false}},
        {"\x1b[38;5;196mX", {0xFFFF0000, 0, false}},
        {"\x1b[48;5;244mX", {0, 0xFF808080, false}},
        {"\x1b[38;2;1;2;3mX", {0xFF010203, 0, false}},
        {"\x1b[48:2::10:20:30mX", {0, 0xFF0A141E, false}},
        {"\x1b[1mB", {0, 0, true}},
        {"\x1b[1;31;42mA\x1b[0mB", {0, 0, false}},
        {"\x1b[31mA\x1b[mB", {0, 0, false}},
        {"\x1b[1;31mA\x1b[22;39mB", {0, 0, false}},
        {"\x1b[31;44mA\x1b[49mB", {kRed, 0, false}},
        {"\x1b[31m" + std::string(9000, 'x') + "\r\nY", {kRed, 0, false}},  // past checkpoints
        {"\x1b[31mA\x1b[?25l\x1b[>4;1mB", {kRed, 0, false}},  // not colours: nothing changes
        {"\x1b[38;5mA", {0, 0, false}},                       // incomplete colour: default
    };
    for (const Case& c : cases) {
        Styled s(true);
        s.Add(c.bytes);
        auto cells = s.Cells();
        ASSERT_FALSE(cells.empty()) << c.bytes;
        const SgrState& got = cells.back().second;
        EXPECT_EQ(got.fg, c.last.fg) << c.bytes;
        EXPECT_EQ(got.bg, c.last.bg) << c.bytes;
        EXPECT_EQ(got.bold, c.last.bold) << c.bytes;
    }
}

// What is shown (as copied) and the last cell's colour, delivered in pieces; escape sequences
// take no cells, and the string keeps every byte.
TEST(LogStyle, SequencesAreHiddenAlsoWhenSplitAcrossDeliveries) {
    struct Case {
        std::vector<std::string> pieces;
        std::string shown;
        uint32_t lastFg;
    } cases[] = {
        {{"\x1b[2J\x1b[H\x1b[1;1HOK"}, "OK", 0},
        {{"A\x1b[3", "1mB"}, "AB", kRed},
        {{"A\x1b", "[", "3", "1", "mB"}, "AB", kRed},
        {{"A\x1b[K", "B"}, "AB", 0},
        {{"A\x1bxB"}, "A\xe2\x90\x9bxB", 0},          // a stray ESC is a marker
        {{"A\x1b[31\nB"}, "A\xe2\x90\x9b[31\nB", 0},  // a line break ends no sequence
        {{"\x1b[31m" + std::string(80, 'x')}, std::string(80, 'x'), kRed},
    };
    for (const Case& c : cases) {
        Styled s(true);
        s.index.SetWidth(80);
        std::string all;
        for (const std::string& p : c.pieces) {
            s.Add(p);
            all += p;
        }
        EXPECT_EQ(std::string(s.text.GetString(), s.text.GetLength()), all);
        EXPECT_EQ(LogTextUtf8(s.index, 0, s.index.Length()), c.shown) << all;
        EXPECT_EQ(s.index.RowCount(), 1 + (int64_t)std::count(all.begin(), all.end(), '\n')) << all;
        EXPECT_EQ(s.Cells().back().second.fg, c.lastFg) << all;
    }
}

// Each shown cell as a letter: '.' plain, else the first letter of its colour's name.
std::string Letters(Styled& s) {
    std::string out;
    for (auto& [cell, st] : s.Cells())
        out += st.fg == 0 ? '.' : st.fg == 0xFFFF0000 ? 'r' : st.fg == 0xFF00AA00 ? 'g' : 'a';
    return out;
}

TEST(LogStyle, HighlightsColourTheMatchOrItsLine) {
    LogHighlight err{"ERROR", false, false, 0xFF0000}, warn{"W[A-Z]+", true, false, 0xFFAA00},
        ok{"OK", false, true, 0x00AA00}, dot{"a.c", false, false, 0xFF0000},
        errLine{"ERROR.*", true, false, 0x00AA00}, bad{"(", true, false, 0xFF0000};
    struct Case {
        LogHighlights rules;
        bool bAnsi;
        std::string text;
        std::string want;
    } cases[] = {
        {{err}, false, "x ERROR y", "..rrrrr.."},
        {{warn}, false, "a WARN b", "..aaaa.."},
        {{ok}, false, "it is OK\r\nnext", "gggggggg...."},  // whole line; breaks not cells
        {{dot}, false, "abc a.c", "....rrr"},               // a word is literal text
        {{err, errLine}, false, "ERROR x", "rrrrrgg"},      // the first rule wins
        {{bad, err}, false, "(ERROR", ".rrrrr"},            // an invalid expression is left out
        {{err}, true, "\x1b[32mER\x1b[0mROR!", "rrrrr."},   // matched as shown, over colours
        {{ok}, false, std::string(40, 'x') + "OK", std::string(42, 'g')},  // across a wrap
    };
    for (const Case& c : cases) {
        Styled s(c.bAnsi, c.rules);
        s.index.SetWidth(30);
        s.Add(c.text);
        EXPECT_EQ(Letters(s), c.want) << c.text;
    }
}

// A red background and red text reach the pixels on a light and a dark base; with sequences
// not read there is no red.
TEST(LogStyle, ColoursArePainted) {
    struct Case {
        QColor base, ink;
        bool bAnsi;
    } cases[] = {{Qt::white, Qt::black, true},
                 {Qt::white, Qt::black, false},
                 {QColor(0x20, 0x22, 0x24), QColor(0xE0, 0xE0, 0xD0), true},
                 {QColor(0x20, 0x22, 0x24), QColor(0xE0, 0xE0, 0xD0), false}};
    for (const Case& c : cases) {
        QPalette pal = QApplication::palette();
        pal.setColor(QPalette::Base, c.base);
        pal.setColor(QPalette::Text, c.ink);
        LogView view;
        view.setPalette(pal);
        view.resize(300, 100);
        view.show();
        view.SetAnsiColors(c.bAnsi);
        CString text = "\x1b[41m    \x1b[0m \x1b[1;31mMMMMMMMM\x1b[0m";
        view.SetText(&text);
        QImage img = view.viewport()->grab().toImage();
        int back = 0, ink = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                QColor p = img.pixelColor(x, y);
                back += p == QColor(0xCC, 0, 0);
                ink += p.red() > 120 && p.red() - p.green() > 80 && p.red() - p.blue() > 80;
            }
        EXPECT_EQ(back > 20, c.bAnsi) << c.base.name().toStdString();
        EXPECT_EQ(ink - back > 20, c.bAnsi) << c.base.name().toStdString();
    }
}

}  // namespace
