// The plot's store and picture: the history bound, decimation against a brute-force pass,
// the CSV export read back, a known sine drawn within its envelope, and a picture drawn while
// following growing data equal to one drawn afresh.
#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

#include "platform/plot/plot_store.h"
#include "platform/plot/plot_view.h"
#include "support/files.h"
#include "support/pty.h"

namespace {

// A channel of n samples, one per line, with gaps where (i % gapEvery == 0).
void Fill(PlotStore& s, int ch, int n, int gapEvery = 0, float (*f)(int) = nullptr) {
    for (int i = 0; i < n; ++i)
        if (!gapEvery || i % gapEvery)
            s.Append(ch, (uint32_t)i, i * 0.001, f ? f(i) : (float)((i * 7919) % 1000) - 500);
}

TEST(PlotStore, KeepsTheNewestSamplesUpToTheBound) {
    struct Case {
        size_t capacity;
        int appended;
        size_t shrinkTo;  // 0: no change
        size_t expected;
        uint32_t firstSeq;
    } cases[] = {
        {100, 50, 0, 50, 0},        {100, 100, 0, 100, 0},  {100, 1000, 0, 100, 900},
        {1000, 5000, 10, 10, 4990}, {10, 25, 1000, 10, 15},
    };
    for (const Case& c : cases) {
        PlotStore s(c.capacity);
        Fill(s, 3, c.appended);
        if (c.shrinkTo) s.SetCapacity(c.shrinkTo);
        ASSERT_EQ(s.Count(3), c.expected) << c.appended;
        EXPECT_EQ(s.At(3, 0).seq, c.firstSeq);
        EXPECT_EQ(s.At(3, s.Count(3) - 1).seq, (uint32_t)c.appended - 1);
        EXPECT_LE(s.Bytes(), std::max(c.capacity, c.shrinkTo) * 16);
    }
}

TEST(PlotStore, DecimationEqualsABruteForcePass) {
    struct Case {
        int n, cap, gapEvery, cols;
        double x0, x1;
        bool byTime;
    } cases[] = {
        {1000, 1000, 0, 100, 0, 999, false},
        {100000, 60000, 3, 777, 50000, 99999, false},
        {50, 50, 0, 640, 0, 49, false},
        {5000, 5000, 7, 333, 1.2, 3.7, true},
        {20000, 20000, 0, 1, -10, 30000, false},
        {300, 300, 0, 50, 400, 500, false},
        // Runs of 16 summarized: a ring whose size is no multiple of 16, its head mid-run.
        {30000, 9999, 0, 50, 0, 30000, false},
        {50000, 50000, 5, 20, 1, 40, true},
        {40000, 10007, 0, 3, 30100, 39990, false},
    };
    for (const Case& c : cases) {
        PlotStore s(c.cap);
        Fill(s, 0, c.n, c.gapEvery);
        std::vector<PlotColumn> got(c.cols), want(c.cols);
        s.Decimate(0, c.byTime, c.x0, c.x1, c.cols, got.data());
        for (auto& w : want) w.has = false;
        for (size_t i = 0; i < s.Count(0); ++i) {
            const PlotSample& p = s.At(0, i);
            const double x = PlotStore::X(p, c.byTime);
            if (x < c.x0 || x > c.x1) continue;
            int col = std::min(c.cols - 1, (int)std::floor((x - c.x0) / (c.x1 - c.x0) * c.cols));
            PlotColumn& w = want[col];
            if (!w.has) w = {p.v, p.v, p.v, p.v, true};
            w.lo = std::min(w.lo, p.v), w.hi = std::max(w.hi, p.v), w.last = p.v;
        }
        for (int i = 0; i < c.cols; ++i) {
            ASSERT_EQ(got[i].has, want[i].has) << c.n << " col " << i;
            if (!want[i].has) continue;
            EXPECT_EQ(got[i].lo, want[i].lo);
            EXPECT_EQ(got[i].hi, want[i].hi);
            EXPECT_EQ(got[i].first, want[i].first);
            EXPECT_EQ(got[i].last, want[i].last);
        }
    }
}

TEST(PlotStore, CsvExportReadsBack) {
    kvtest::TempDir dir;
    PlotStore s(1000);
    Fill(s, 0, 1500, 0, [](int i) { return (float)std::sin(i * 0.37) * 1e-3f; });
    Fill(s, 2, 1500, 4, [](int i) { return (float)i * 12345.678f; });
    const std::string path = dir.path() + "/plot.csv";
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(s.WriteCsv(f, {"a,b", "unused", "c"}));
    fclose(f);
    // The rows a brute-force merge by line index gives: time, then each channel or nothing.
    struct Row {
        std::string time;
        bool has[3] = {};
        float v[3] = {};
    };
    std::map<uint32_t, Row> want;
    for (int c : {0, 2})
        for (size_t i = 0; i < s.Count(c); ++i) {
            const PlotSample& p = s.At(c, i);
            Row& row = want[p.seq];
            char buf[40];
            snprintf(buf, sizeof buf, "%.3f", p.t());
            row.time = buf;
            row.has[c] = true;
            row.v[c] = p.v;
        }
    std::stringstream in(ReadBytes(path));
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "time,\"a,b\",unused,c");
    auto it = want.begin();
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream ls(line);
        for (std::string cell; std::getline(ls, cell, ',');) cells.push_back(cell);
        cells.resize(4);
        ASSERT_NE(it, want.end());
        EXPECT_EQ(cells[0], it->second.time);
        for (int c = 0; c < 3; ++c) {
            ASSERT_EQ(!cells[c + 1].empty(), it->second.has[c]) << line;
            if (it->second.has[c]) {
                EXPECT_EQ(std::stof(cells[c + 1]), it->second.v[c]) << line;
            }
        }
        ++it;
    }
    EXPECT_EQ(it, want.end());
    EXPECT_GT(want.size(), 1000u);  // the channels' histories overlap only in part
}

TEST(PlotView, AKnownSineIsDrawnWithinItsEnvelope) {
    struct Case {
        int n;       // samples
        QSize size;  // the picture
        bool dark;
    } cases[] = {{100000, {800, 400}, false}, {300, {640, 360}, true}, {5000, {320, 240}, false}};
    for (const Case& c : cases) {
        PlotStore s(c.n);
        const double cycles = 5;
        for (int i = 0; i < c.n; ++i)
            s.Append(0, (uint32_t)i, i * 0.01, (float)std::sin(2 * M_PI * cycles * i / (c.n - 1)));
        PlotView v(&s);
        v.SetNames({"sin"}, false);
        PlotViewOptions o;
        o.bYAuto = false, o.dYMin = -1.25, o.dYMax = 1.25, o.bDark = c.dark;
        v.SetOptions(o);
        const QImage img = v.Picture(c.size);
        const QRect a = v.PlotArea(c.size);
        const QRgb ink = PlotView::ChannelColor(0).rgb();
        int drawnColumns = 0;
        for (int x = a.left() + 1; x < a.right(); ++x) {
            // The envelope of the column's x range (and its neighbours' share of the joins).
            double t0 = (x - a.left() - 1.0) / a.width(), t1 = (x - a.left() + 2.0) / a.width();
            double lo = 2, hi = -2;
            for (double t = t0; t <= t1; t += (t1 - t0) / 64) {
                double y = std::sin(2 * M_PI * cycles * std::clamp(t, 0.0, 1.0));
                lo = std::min(lo, y), hi = std::max(hi, y);
            }
            auto row = [&](double y) { return a.bottom() - (y + 1.25) / 2.5 * (a.height() - 1); };
            bool any = false;
            for (int y = a.top() + 1; y < a.bottom(); ++y) {
                if ((img.pixel(x, y) & 0xffffff) != (ink & 0xffffff)) continue;
                any = true;
                EXPECT_GE(y, row(hi) - 1.5) << x;
                EXPECT_LE(y, row(lo) + 1.5) << x;
            }
            drawnColumns += any;
        }
        EXPECT_GE(drawnColumns, a.width() - 4) << c.n;
    }
}

// While following, each picture reuses the columns of the one before; the picture must be
// the one a new view draws from the same store.
TEST(PlotView, FollowingDrawsWhatAFreshViewDraws) {
    struct Case {
        size_t capacity;
        int lines, perPicture;  // lines appended, and between two pictures
        bool byTime;
    } cases[] = {{20000, 50000, 50, false},
                 {20000, 50000, 997, true},
                 {5000, 4000, 7, false},
                 {300, 2000, 3, false}};
    const QSize size(700, 300);
    for (const Case& c : cases) {
        PlotStore s(c.capacity);
        PlotView live(&s);
        live.SetNames({"a", "b"}, false);
        PlotViewOptions o;
        o.bByTime = c.byTime;
        live.SetOptions(o);
        for (int i = 0; i < c.lines; ++i) {
            s.Append(0, (uint32_t)i, i * 0.0013, (float)((i * 7919) % 1000) - 500);
            if (i % 5) s.Append(1, (uint32_t)i, i * 0.0013, (float)std::sin(i * 0.01) * 300);
            if (i % c.perPicture == 0) live.Picture(size);
        }
        PlotView fresh(&s);
        fresh.SetNames({"a", "b"}, false);
        fresh.SetOptions(o);
        EXPECT_TRUE(live.Picture(size) == fresh.Picture(size)) << c.lines << " " << c.byTime;
    }
}

}  // namespace
