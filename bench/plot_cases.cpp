// Row 13: the plot window. Its parser against strtod over the same text, and the real dialog
// receiving 8 channels at 1000 lines a second with the plot open or closed.
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "bench/cases.h"
#include "bench/dialog_harness.h"
#include "plot/PlotParser.h"
#include "tools/vdev/plotgen.h"

namespace kvbench {

namespace {
// Lines as kivern-vdev --plot prints them: 8 channels, columns or name=value pairs.
std::string PlotText(double mib, kvplot::Format f) {
    kvplot::Generator gen(f, 8);
    std::string s;
    for (long n = 0; s.size() < mib * kMiB; ++n) s += gen.Line(n * 0.001);
    return s;
}

// strtod at every field: the baseline, which neither splits names nor stores anything. A
// name (letters and digits up to '=') is stepped over.
size_t StrtodAll(const std::string& s) {
    size_t n = 0;
    const char* p = s.c_str();
    const char* end = p + s.size();
    while (p < end) {
        if (*p >= 'a' && *p <= 'z') {
            while (p < end && *p != '=') ++p;
            continue;
        }
        if (strchr(",; \t\r\n=:", *p)) {
            ++p;
            continue;
        }
        char* q;
        strtod(p, &q);
        if (q == p) {
            ++p;
            continue;
        }
        ++n;
        p = q;
    }
    return n;
}
}  // namespace

// plotparse MiB columns|named: seconds to parse the text (best of 5), samples, seconds for
// strtod over it (best of 5), numbers strtod found, bytes.
int CasePlotParse(const std::vector<std::string>& a) {
    const std::string text = PlotText(
        std::stod(a.at(0)), a.at(1) == "named" ? kvplot::Format::Named : kvplot::Format::Columns);
    double best = 1e9, bestStrtod = 1e9;
    size_t samples = 0, numbers = 0;
    for (int run = 0; run < 5; ++run) {
        CPlotParser p;
        size_t n = 0;
        double t0 = NowSec();
        p.Feed(text.data(), text.size(),
               [&](const CPlotParser::Line& l) { n += (size_t)__builtin_popcount(l.mask); });
        best = std::min(best, NowSec() - t0);
        samples = n;
        t0 = NowSec();
        numbers = StrtodAll(text);
        bestStrtod = std::min(bestStrtod, NowSec() - t0);
    }
    if (samples != numbers) return Fail("parser found %zu samples, strtod %zu", samples, numbers);
    printf("%.6f %zu %.6f %zu %zu\n", best, samples, bestStrtod, numbers, text.size());
    return 0;
}

// plotload seconds open|closed: the dialog on COM3 receiving kivern-vdev --plot columns with
// 8 channels at 1000 lines a second, after 100,000 lines put through its receive handler (so
// that the plot holds 100,000 points a channel when open). Prints CPU seconds, wall seconds,
// pictures painted a second, the 10 ms timer's lateness p99 and worst (ms), samples stored,
// the store's bytes per stored sample, lines received a second.
int CasePlotLoad(const std::vector<std::string>& a) {
    const double secs = std::stod(a.at(0));
    const bool open = a.at(1) == "open";
    Sandbox sb;
    VirtualDevice dev(VdevPath(), sb.ports(), 3,
                      {"--plot", "columns", "--channels", "8", "-l", "1"});
    if (!dev.ok()) return Fail("no virtual device");
    DialogBench b;
    if (!b.ok() || !b.OpenPort(3, false)) return Fail("port not opened");
    CKIVERNDlg& dlg = b.dlg();
    if (open) dlg.m_plot.Open();
    std::string history = PlotText(100000 * 70.0 / kMiB, kvplot::Format::Columns);
    for (size_t lf = 0, n = 0; (lf = history.find('\n', lf)) != std::string::npos; ++lf)
        if (++n == 100000) history.resize(lf + 1);
    size_t lf = 0;
    for (size_t at = 0; at < history.size(); at = lf + 1) {  // 100,000 lines, in 4 KiB pieces
        lf = history.find('\n', std::min(history.size() - 1, at + 4096));
        if (lf == std::string::npos) lf = history.size() - 1;
        dlg.OnSerialReceive((WPARAM)(history.data() + at), (LPARAM)(lf + 1 - at));
    }
    Loop().Run([] { return false; }, 0.5);
    const unsigned frames0 = dlg.m_plot.Window().Frames();
    const int64_t rx0 = dlg.m_nRxBytes;
    std::vector<double> late;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    double due = NowSec() + 0.010;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        double now = NowSec();
        late.push_back(std::max(0.0, now - due) * 1e3);
        due = now + 0.010;
    });
    const double c0 = CpuSec(), t0 = NowSec();
    tick.start(10);
    Loop().Run([] { return false; }, secs, 1000);
    tick.stop();
    const double cpu = CpuSec() - c0, t = NowSec() - t0;
    PlotStore& store = dlg.m_plot.Window().Store();
    size_t stored = 0;
    for (int c = 0; c < PlotStore::kMaxChannels; ++c) stored += store.Count(c);
    if (open && stored < 8 * 100000) return Fail("the plot holds %zu samples", stored);
    const double lineBytes = history.size() / 100000.0;
    const double lines = (dlg.m_nRxBytes - rx0) / lineBytes / t;
    printf("%.6f %.6f %.3f %.3f %.3f %zu %.3f %.1f\n", cpu, t,
           (dlg.m_plot.Window().Frames() - frames0) / t, Percentile(late, 99),
           *std::max_element(late.begin(), late.end()), stored,
           stored ? store.Bytes() / (double)stored : 0.0, lines);
    return 0;
}

}  // namespace kvbench
