// The receive display's row index: incremental indexing against a full index, line breaks,
// markers for bytes that are not text, deferred partial bytes, wrapping and copying.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "platform/logview/logview_index.h"
#include "platform/logview/logview_words.h"

using logview::GlyphKind;

namespace {

struct RowShape {
    int64_t start, end;
    std::vector<std::pair<int64_t, int>> cells;  // offset, column
    bool operator==(const RowShape& o) const {
        return start == o.start && end == o.end && cells == o.cells;
    }
};

std::vector<RowShape> Shape(const LogIndex& ix) {
    std::vector<RowShape> rows;
    std::vector<LogIndex::Cell> cells;
    for (int64_t r = 0; r < ix.RowCount(); ++r) {
        RowShape s{ix.RowStart(r), ix.RowEnd(r), {}};
        ix.LayoutRow(r, cells);
        for (const auto& c : cells) s.cells.push_back({c.off, c.col});
        // Rows are contiguous: each row's glyphs end where the next row starts.
        if (!cells.empty()) {
            EXPECT_EQ(cells.back().off + cells.back().g.len, s.end) << r;
        }
        rows.push_back(s);
    }
    return rows;
}

// A mixed receive text: lines of ASCII, GBK, UTF-8, tabs, CR LF, lone LF, lone CR, 0x00, invalid
// bytes, and a few lines longer than the long-line threshold.
CString MixedText() {
    std::mt19937 rng(7);
    const char* pieces[] = {"hello ", "\xd6\xd0\xce\xc4", "\t", "\r\n", "\n", "\r", "x",
                            "0123456789", "\x81", "\xff", "\x7f", "\x01",
                            // UTF-8: a check mark, an emoji, a character cut short
                            "\xe2\x9c\x93", "\xf0\x9f\x98\x80", "\xe2\x9c",
                            // escape sequences: colour, 24-bit colour, erase, a stray ESC
                            "\x1b[1;31m", "\x1b[38;2;1;2;3m", "\x1b[2K", "\x1b"};
    CString s;
    for (int i = 0; i < 4000; ++i) s += pieces[rng() % 19];
    s.Append("\0", 1);
    for (int i = 0; i < 3000; ++i) s += (i % 7) ? "\xb0\xa1" : "ab\r";  // one long GBK line
    s += "\n";
    for (int i = 0; i < 2000; ++i) s += "41 0D ";  // a long simple line
    return s;
}

}  // namespace

TEST(LogIndex, GrowingInPiecesEqualsFullIndexAtEveryWidthInBothEncodings) {
    CString full = MixedText();
    const std::tuple<int, bool, bool> cases[] = {
        {80, false, false}, {7, false, false}, {1, false, false},
        {33, false, false}, {80, true, false}, {7, true, false},
        {80, false, true},  {7, true, true},   {1, false, true}};
    for (auto [width, utf8, ansi] : cases) {
        CString grown;
        LogIndex inc;
        inc.SetUtf8(utf8);
        inc.SetAnsi(ansi);
        inc.SetWidth(width);
        std::mt19937 rng(width);
        for (INT_PTR pos = 0; pos < full.GetLength();) {
            INT_PTR n = std::min<INT_PTR>(1 + rng() % 97, full.GetLength() - pos);
            grown.Append(full.GetString() + pos, n);
            pos += n;
            inc.Update(&grown);
        }
        LogIndex fresh;
        fresh.SetUtf8(utf8);
        fresh.SetAnsi(ansi);
        fresh.SetWidth(width);
        fresh.Update(&grown);
        ASSERT_EQ(inc.Length(), full.GetLength()) << width;
        ASSERT_EQ(inc.RowCount(), fresh.RowCount()) << width;
        EXPECT_TRUE(Shape(inc) == Shape(fresh)) << width;
        // Every row start maps back to its row.
        for (int64_t r = 0; r < fresh.RowCount(); r += 13)
            ASSERT_EQ(fresh.RowOfOffset(fresh.RowStart(r)), r) << width << " row " << r;

        // Re-wrapping an index equals indexing at the new width.
        inc.SetWidth(width + 11);
        LogIndex other;
        other.SetUtf8(utf8);
        other.SetAnsi(ansi);
        other.SetWidth(width + 11);
        other.Update(&grown);
        EXPECT_TRUE(Shape(inc) == Shape(other)) << width;
    }
}

TEST(LogIndex, CrLfAndLoneLfBreakLinesLoneCrIsAMarker) {
    CString s("a\r\nb\nc\rd\r\n");
    LogIndex ix;
    ix.Update(&s);
    EXPECT_EQ(ix.LineCount(), 4);  // a, b, c<CR>d, and the empty line after the last break
    EXPECT_EQ(ix.RowCount(), 4);
    std::vector<LogIndex::Cell> cells;
    ix.LayoutRow(2, cells);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0].g.kind, GlyphKind::Ascii);
    EXPECT_EQ(cells[1].g.kind, GlyphKind::Marker);
    EXPECT_EQ(cells[1].g.ch, 0x0Du);
    EXPECT_EQ(cells[1].cells, logview::kMarkerCells);
    EXPECT_EQ(cells[2].col, 1 + logview::kMarkerCells);
    ix.LayoutRow(3, cells);
    EXPECT_TRUE(cells.empty());
    EXPECT_EQ(ix.RowStart(1), 3);
}

TEST(LogIndex, ZeroControlAndInvalidGbkBytesAreMarkers) {
    // 0x00, 0x80, 0xFF, a lead byte before an invalid trail, DEL, then a GBK character.
    CString s("\0", 1);
    s.Append("\x80\xff\x81 \x7f\xd6\xd0\tz", 9);
    LogIndex ix;
    ix.Update(&s);
    std::vector<LogIndex::Cell> cells;
    ix.LayoutRow(0, cells);
    std::vector<GlyphKind> kinds;
    for (const auto& c : cells) kinds.push_back(c.g.kind);
    std::vector<GlyphKind> want = {GlyphKind::Marker, GlyphKind::Marker, GlyphKind::Marker,
                                   GlyphKind::Marker, GlyphKind::Ascii,  GlyphKind::Marker,
                                   GlyphKind::Wide,   GlyphKind::Tab,    GlyphKind::Ascii};
    ASSERT_EQ(kinds, want);
    EXPECT_EQ(cells[0].g.ch, 0x00u);
    EXPECT_EQ(cells[3].g.ch, 0x81u);
    EXPECT_EQ(cells[6].g.ch, 0x4E2Du);  // 中
    EXPECT_EQ(cells[6].cells, 2);
    EXPECT_EQ(cells[8].col, 16);  // the tab ran from column 13 to 16
}

TEST(LogIndex, SplitGbkCharacterAndCrLfWaitForTheirSecondByte) {
    CString s("ab\xd6");
    LogIndex ix;
    ix.Update(&s);
    EXPECT_EQ(ix.Length(), 2);
    s += "\xd0\r";
    ix.Update(&s);
    EXPECT_EQ(ix.Length(), 4);
    std::vector<LogIndex::Cell> cells;
    ix.LayoutRow(0, cells);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[2].g.kind, GlyphKind::Wide);
    EXPECT_EQ(cells[2].g.ch, 0x4E2Du);
    s += "\n";
    ix.Update(&s);
    EXPECT_EQ(ix.RowCount(), 2);
    ix.LayoutRow(0, cells);
    EXPECT_EQ(cells.size(), 3u);  // no CR marker: the CR LF was one break
}

TEST(LogIndex, LongLinesWrapAtTheWidth) {
    CString s(CString('x', 250) + "\n" + "\xd6\xd0\xd6\xd0\xd6\xd0" + "\n" + "a\tb");
    LogIndex ix;
    ix.SetWidth(100);
    ix.Update(&s);
    EXPECT_EQ(ix.RowCount(), 5);
    EXPECT_EQ(ix.RowStart(1), 100);
    EXPECT_EQ(ix.RowStart(2), 200);
    EXPECT_EQ(ix.RowOfOffset(249), 2);
    ix.SetWidth(5);  // two GBK characters fit a row of 5, the third moves down
    std::vector<LogIndex::Cell> cells;
    int64_t gbkRow = ix.RowOfOffset(251);
    ix.LayoutRow(gbkRow, cells);
    EXPECT_EQ(cells.size(), 2u);
    EXPECT_EQ(ix.RowStart(gbkRow + 1), 255);
    ix.LayoutRow(ix.RowCount() - 2, cells);  // "a" and a tab cut at the row's end
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[1].cells, 4);
    EXPECT_EQ(ix.RowOfOffset(s.GetLength() - 1), ix.RowCount() - 1);  // "b" on the next row
}

TEST(LogIndex, OneHugeHexLineMapsRowsArithmetically) {
    CString s;
    for (int i = 0; i < 100000; ++i) s += "41 ";
    LogIndex ix;
    ix.SetWidth(64);
    ix.Update(&s);
    EXPECT_EQ(ix.LineCount(), 1);
    EXPECT_EQ(ix.RowCount(), (300000 + 63) / 64);
    EXPECT_EQ(ix.RowStart(1000), 64000);
    EXPECT_EQ(ix.RowOfOffset(64000 + 63), 1000);
    EXPECT_LT(ix.MemoryBytes(), 4096u);
}

TEST(LogIndex, ClearedStringIsStaleAndReindexedWhenShownAgain) {
    CString s("line one\r\nline two\r\n");
    LogIndex ix;
    ix.Update(&s);
    EXPECT_EQ(ix.RowCount(), 3);
    s.Empty();
    EXPECT_TRUE(ix.IsStale());
    ix.Update(&s);
    EXPECT_FALSE(ix.IsStale());
    EXPECT_EQ(ix.RowCount(), 1);
    EXPECT_EQ(ix.Length(), 0);
    s += "abc\n";
    s += "de";
    ix.Update(&s);
    EXPECT_EQ(ix.RowCount(), 2);
    EXPECT_EQ(ix.RowStart(1), 4);
    // Replaced by a shorter string at the same address with the same epoch count is still
    // caught by the length.
    CString t("xyz");
    ix.Update(&t);
    EXPECT_EQ(ix.Length(), 3);
}

TEST(LogIndex, CopyGivesUtf8WithBreaksKept) {
    CString s("A\xd6\xd0\r\nB", 6);
    s.Append("\0\tC\x80\nD", 6);
    LogIndex ix;
    ix.Update(&s);
    EXPECT_EQ(LogTextUtf8(ix, 0, s.GetLength()),
              "A\xe4\xb8\xad\r\nB\xe2\x90\x80\tC\xef\xbf\xbd\nD");
    EXPECT_EQ(LogTextUtf8(ix, 1, 3), "\xe4\xb8\xad");
    EXPECT_EQ(LogTextUtf8(ix, 5, 100), "B\xe2\x90\x80\tC\xef\xbf\xbd\nD");
    int64_t b, e;
    CString w("foo bar_9\xd6\xd0\xd6\xd0 z");
    ix.Update(&w);
    LogWordAt(ix, 5, b, e);
    EXPECT_EQ(b, 4);
    EXPECT_EQ(e, 9);
    LogWordAt(ix, 10, b, e);
    EXPECT_EQ(b, 9);
    EXPECT_EQ(e, 13);
}

TEST(LogIndex, LongAsciiLineTurningComplexWrapsAsAFreshWalk) {
    // A line of plain ASCII long enough for checkpoints, then tabs, GBK and markers on the
    // same line, grown in pieces that split the ASCII runs at odd places.
    CString full(CString('a', 9000));
    for (int i = 0; i < 500; ++i) full += (i % 3) ? "\xd6\xd0q\t" : "\x01zz";
    full += CString('b', 5000);
    for (int width : {80, 3}) {
        CString grown;
        LogIndex inc;
        inc.SetWidth(width);
        for (INT_PTR pos = 0; pos < full.GetLength(); pos += 333) {
            grown.Append(full.GetString() + pos, std::min<INT_PTR>(333, full.GetLength() - pos));
            inc.Update(&grown);
        }
        LogIndex walked;  // rows from the re-wrap walk, which is separate from indexing
        walked.SetWidth(width + 1);
        walked.Update(&grown);
        walked.SetWidth(width);
        ASSERT_EQ(inc.RowCount(), walked.RowCount()) << width;
        EXPECT_TRUE(Shape(inc) == Shape(walked)) << width;
    }
}

TEST(LogIndex, Utf8CharactersSplitAcrossDeliveriesWaitAndTakeTheirWidth) {
    // 温 and an emoji, each cut short; then a check mark, é, and a start that never ends.
    CString s("a\xE6\xB8");
    LogIndex ix;
    ix.SetUtf8(true);
    // What is shown stops before a character's first bytes until the rest comes.
    const std::pair<const char*, int64_t> steps[] = {
        {"\xA9\xF0\x9F", 4}, {"\x98\x80\xE2\x9C\x93\xC3\xA9\xE2\x9C", 13}, {"z", 16}};
    ix.Update(&s);
    EXPECT_EQ(ix.Length(), 1);
    for (const auto& [more, length] : steps) {
        s += more;
        ix.Update(&s);
        EXPECT_EQ(ix.Length(), length) << more;
    }
    std::vector<LogIndex::Cell> cells;
    ix.LayoutRow(0, cells);
    std::vector<std::pair<char32_t, int>> shown,
        want = {{'a', 0},  {0x6E29, 1}, {0x1F600, 3}, {0x2713, 5},
                {0xE9, 6}, {0xE2, 7},   {0x9C, 9},    {'z', 11}};
    for (const auto& c : cells) shown.push_back({c.g.ch, c.col});
    EXPECT_EQ(shown, want);  // wide characters take two cells, markers two, others one
    EXPECT_EQ(cells[5].g.kind, GlyphKind::Marker);
    // Back to GBK: the same bytes are indexed afresh as GBK.
    ix.SetUtf8(false);
    ix.Update(&s);
    ix.LayoutRow(0, cells);
    EXPECT_NE(cells[1].g.ch, 0x6E29u);
}
