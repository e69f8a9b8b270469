// kivern_bench: the terminal's benchmark suite. Without arguments it runs every case several
// times, each run in a fresh process, and prints one table of medians, each figure beside a
// baseline measured in the same run and the ratio the targets are stated in.
//
//   kivern_bench [--quick] [--runs N] [--mib N] [--xcb] [--only LIST]
//   kivern_bench --case NAME ARGS...   (one run of one case; the driver's building block)
//
// --xcb also runs the throughput cases on the X display in $DISPLAY (for example under
// xvfb-run); LIST is a comma-separated subset of
// rx,refresh,memory,responsive,pace,livelog,send,find,plot,startup.
#include <QApplication>
#include <functional>
#include <map>
#include <sstream>

#include "bench/bench_util.h"
#include "bench/cases.h"
#include "platform/app/app.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

using namespace kvbench;

namespace {

struct Options {
    int runs = 5;
    double mib = 64;      // the throughput flood
    double memMib = 100;  // the memory flood and the largest log of the refresh cases
    double paceSec = 10;
    double respSec = 5;
    int refreshTicks = 40;
    double plotSec = 60;
    bool xcb = false;
    std::string only;
    bool Wants(const char* what) const {
        return only.empty() ||
               ("," + only + ",").find(std::string(",") + what + ",") != std::string::npos;
    }
};

std::string g_self;

// The receive modes (see Mode in dialog_harness.h) and how the table names them.
const char* const kModes[] = {"text", "binary", "hex"};
std::string ModeLabel(const std::string& mode) {
    if (mode == "text") return "text display, text lines";
    if (mode == "binary") return "text display, binary";
    return "hex display";
}

// One run of a case in a fresh process on the given platform; its numbers.
std::vector<double> Once(const std::string& platform, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"env", "QT_QPA_PLATFORM=" + platform, g_self, "--case"};
    argv.insert(argv.end(), args.begin(), args.end());
    int st = 0;
    std::istringstream in(RunChild(argv, &st));
    std::vector<double> v;
    for (double x; in >> x;) v.push_back(x);
    if (st != 0 || v.empty()) {
        std::string cmd;
        for (const auto& a : args) cmd += " " + a;
        fprintf(stderr, "FAILED:%s\n", cmd.c_str());
        exit(1);
    }
    return v;
}

// The median of each number over n runs.
std::vector<double> Runs(int n, const std::string& platform,
                         const std::function<std::vector<std::string>()>& args) {
    std::vector<std::vector<double>> cols;
    for (int i = 0; i < n; ++i) {
        std::vector<double> v = Once(platform, args());
        if (cols.size() < v.size()) cols.resize(v.size());
        for (size_t k = 0; k < v.size(); ++k) cols[k].push_back(v[k]);
        fprintf(stderr, ".");
    }
    std::vector<double> med;
    for (auto& c : cols) med.push_back(Median(c));
    return med;
}
std::vector<double> Runs(int n, const std::string& platform, std::vector<std::string> args) {
    return Runs(n, platform, [&] { return args; });
}

std::string Num(double x) {
    char b[32];
    snprintf(b, sizeof b, x >= 100 ? "%.0f" : x >= 10 ? "%.1f" : "%.2f", x);
    return b;
}

// One line of the table: the measurement, our figure, the baseline, the ratio, the target.
void Row(const std::string& what, const std::string& ours, const std::string& base, double ratio,
         const char* cmp, double target) {
    bool ok = cmp[0] == '>' ? ratio >= target : ratio <= target;
    printf("| %-58s | %14s | %20s | %6.2f | %s %-5s | %-4s |\n", what.c_str(), ours.c_str(),
           base.c_str(), ratio, cmp, Num(target).c_str(), ok ? "ok" : "MISS");
    fflush(stdout);
}

void Receive(const Options& o, const std::string& platform) {
    std::string mib = Num(o.mib);
    std::vector<double> cat = Runs(o.runs, "offscreen", {"cat", mib});
    double catRate = o.mib / cat[0];
    double textSecs = 0;
    for (const char* mode : kModes) {
        std::vector<double> r = Runs(o.runs, platform, {"throughput", mode, mib});
        Row("1. receive " + mib + " MiB, " + ModeLabel(mode) + " (" + platform + ")",
            Num(o.mib / r[0]) + " MiB/s", "cat " + Num(catRate) + " MiB/s", cat[0] / r[0],
            ">=", std::string(mode) == "hex" ? 0.25 : 0.5);
        if (std::string(mode) == "text") textSecs = r[0];
    }
    // The display options on, against the same text-lines flood with them off: a stamp and
    // delta on every line; the colour options (escape sequences read, highlights, sent lines'
    // colour); and both.
    for (const char* opts : {"stamps", "colours", "all"}) {
        std::vector<double> c = Runs(o.runs, platform, {"throughput", "text", mib, opts});
        Row("1. receive " + mib + " MiB, text lines, " + opts + " on (" + platform + ")",
            Num(o.mib / c[0]) + " MiB/s", "off " + Num(o.mib / textSecs) + " MiB/s",
            textSecs / c[0], ">=", 0.8);
    }
}

void Refresh(const Options& o) {
    std::string big = Num(o.memMib), mid = Num(o.memMib / 10);
    for (const char* kind : {"text", "hex", "hexflat"}) {
        std::vector<double> us[3];
        int i = 0;
        for (const std::string& m : {std::string("0"), mid, big})
            us[i++] = Runs(std::max(1, o.runs / 2), "offscreen",
                           {"refresh", kind, m, std::to_string(o.refreshTicks)});
        std::string label = std::string(kind) == "hexflat" ? "hex, no line breaks" : kind;
        Row("2. refresh tick +4 KiB, " + label + ", " + mid + " MiB", Num(us[1][0]) + " us",
            "empty " + Num(us[0][0]) + " us", us[1][0] / us[0][0], "<=", 2);
        Row("2. refresh tick +4 KiB, " + label + ", " + big + " MiB", Num(us[2][0]) + " us",
            "empty " + Num(us[0][0]) + " us", us[2][0] / us[0][0], "<=", 2);
    }
}

void Memory(const Options& o) {
    for (const char* mode : kModes) {
        std::vector<double> r =
            Runs(std::max(1, o.runs / 2), "offscreen", {"throughput", mode, Num(o.memMib)});
        double grew = (r[2] - r[1]) / kMiB, text = r[3] / kMiB;
        Row("3. memory after " + Num(o.memMib) + " MiB, " + ModeLabel(mode),
            "+" + Num(grew) + " MiB", "text " + Num(text) + " MiB", grew / text, "<=", 2);
    }
}

void Responsive(const Options& o) {
    for (const char* mode : kModes) {
        std::vector<double> r =
            Runs(std::max(1, o.runs / 2), "offscreen", {"responsive", mode, Num(o.respSec)});
        Row("4. timer lateness p99, flood, " + ModeLabel(mode), Num(r[0]) + " ms",
            "flood " + Num(r[4]) + " MiB/s", r[0] / 50, "<=", 1);
        Row("4. click to handler (worst), flood, " + ModeLabel(mode), Num(r[1]) + " ms",
            Num(r[3]) + " clicks, lost " + Num(r[5] / kMiB) + " MiB", r[1] / 100, "<=", 1);
    }
    // The same timer while a network port connects to a server that never speaks (then the
    // open button cancels), and while the reconnect wait faces a link that comes and goes.
    std::vector<double> s =
        Runs(std::max(1, o.runs / 2), "offscreen", {"connect", "silent", "2.5"});
    Row("4. longest UI gap, connecting to a silent server", Num(s[0]) + " ms",
        "cancel took " + Num(s[2]) + " ms", s[0] / 50, "<=", 1);
    std::vector<double> f = Runs(std::max(1, o.runs / 2), "offscreen", {"connect", "flap", "6"});
    Row("4. longest UI gap, reconnect while the link flaps", Num(f[0]) + " ms",
        "reopened " + Num(f[2]) + " s after", f[0] / 50, "<=", 1);
}

// Row 5: the CPU share at pace, against a core and, where picocom is installed, against
// picocom on the same stream, the two taking turns.
void Pace(const Options& o) {
    std::vector<double> cat = Runs(std::max(1, o.runs / 2), "offscreen",
                                   {"cat", Num(o.paceSec * 92160 / kMiB), "921600"});
    const bool picocom = system("command -v picocom >/dev/null 2>&1") == 0;
    for (const char* mode : kModes) {
        std::vector<double> ours, peer, perMiB;
        for (int i = 0; i < std::max(1, o.runs / 2); ++i) {
            std::vector<double> r, p;
            if (picocom && i % 2) p = Once("offscreen", {"picocom", Num(o.paceSec), mode});
            r = Once("offscreen", {"pace", Num(o.paceSec), mode});
            if (picocom && !(i % 2)) p = Once("offscreen", {"picocom", Num(o.paceSec), mode});
            ours.push_back(r[0] / r[2]);
            perMiB.push_back(r[0] / (r[1] / kMiB));
            if (!p.empty()) peer.push_back(p[0] / p[2]);
            fprintf(stderr, picocom ? ".." : ".");
        }
        double share = Median(ours);
        std::string what = "5. CPU at 921600 baud, " + ModeLabel(mode);
        Row(what + " (" + Num(Median(perMiB) * 1e3) + " ms/MiB)", Num(share * 100) + " % core",
            "cat " + Num(cat[1] / cat[0] * 100) + " % core", share / 0.035, "<=", 1);
        if (!peer.empty())
            Row(what + ", vs picocom", Num(share * 100) + " % core",
                "picocom " + Num(Median(peer) * 100) + " % core", share / Median(peer), "<=", 2);
    }
}

// Rows 5 on the X display and 12: our CPU at pace beside picocom's and GTKTerm's (on the same
// X server) on the same stream, the three taking turns; the X server's CPU is counted apart.
void PeerPace(const Options& o) {
    const bool picocom = system("command -v picocom >/dev/null 2>&1") == 0;
    const bool gtkterm = system("command -v gtkterm >/dev/null 2>&1") == 0;
    const int runs = std::max(3, o.runs / 2);
    for (const char* mode : kModes) {
        const bool gtk = gtkterm && std::string(mode) != "hex";  // it shows text only
        std::vector<double> ours, oursX, pico, gt, gtX;
        for (int i = 0; i < runs; ++i) {
            for (int k = 0; k < 3; ++k) {  // who goes first moves on every run
                std::string sec = Num(o.paceSec);
                switch ((i + k) % 3) {
                    case 0: {
                        std::vector<double> r = Once("xcb", {"pace", sec, mode});
                        ours.push_back(r[0] / r[2]);
                        oursX.push_back(r[3] / r[2]);
                        break;
                    }
                    case 1:
                        if (picocom) {
                            std::vector<double> r = Once("offscreen", {"picocom", sec, mode});
                            pico.push_back(r[0] / r[2]);
                        }
                        break;
                    default:
                        if (gtk) {
                            std::vector<double> r = Once("xcb", {"gtkterm", sec, mode});
                            gt.push_back(r[0] / r[2]);
                            gtX.push_back(r[3] / r[2]);
                        }
                }
                fprintf(stderr, ".");
            }
        }
        double us = Median(ours), usX = Median(oursX);
        std::string what = "CPU at 921600 baud, " + ModeLabel(mode);
        std::string ourCell = Num(us * 100) + " % core";
        if (!pico.empty())
            Row("5. " + what + " (xcb; X server " + Num(usX * 100) + " %)", ourCell,
                "picocom " + Num(Median(pico) * 100) + " % core", us / Median(pico), "<=", 2);
        if (!gt.empty()) {
            double g = Median(gt), gX = Median(gtX);
            const double target = std::string(mode) == "text" ? 0.5 : 1;
            Row("12. " + what + ", vs GTKTerm", ourCell, "GTKTerm " + Num(g * 100) + " % core",
                us / g, "<=", target);
            Row("12. " + what + ", with the X server", Num((us + usX) * 100) + " % core",
                "GTKTerm " + Num((g + gX) * 100) + " % core", (us + usX) / (g + gX), "<=", target);
        }
    }
}

// The live log's cost at pace: the same stream with and without it, taking turns.
void LiveLog(const Options& o) {
    std::vector<double> plain, logged;
    for (int i = 0; i < std::max(1, o.runs / 2); ++i) {
        // Each goes first in every other pair.
        std::vector<double> p, l;
        if (i % 2) l = Once("offscreen", {"pace", Num(o.paceSec), "text", "log"});
        p = Once("offscreen", {"pace", Num(o.paceSec), "text"});
        if (!(i % 2)) l = Once("offscreen", {"pace", Num(o.paceSec), "text", "log"});
        plain.push_back(p[0] / p[2]);
        logged.push_back(l[0] / l[2]);
        fprintf(stderr, "..");
    }
    double p = Median(plain), l = Median(logged);
    Row("8. CPU at 921600 baud with the live log, text lines", Num(l * 100) + " % core",
        "without " + Num(p * 100) + " % core", l / p, "<=", 1.25);
}

void Send(const Options& o) {
    std::vector<double> w = Runs(o.runs, "offscreen", {"write", "1"});
    std::vector<double> s = Runs(o.runs, "offscreen", {"send", "1"});
    Row("6. send 1 MiB text", Num(1 / s[0]) + " MiB/s", "write " + Num(1 / w[0]) + " MiB/s",
        w[0] / s[0], ">=", 0.8);
}

// One run: the kinds alternate within it, each measured once.
void Files(const Options& o) {
    (void)o;
    std::vector<double> cat = Once("offscreen", {"filecat", "64"});
    std::vector<double> raw = Once("offscreen", {"filesend", "64"});
    Row("11. send a 64 MiB file, raw (memory +" + Num(raw[1]) + " MiB)",
        Num(64 / raw[0]) + " MiB/s", "cat " + Num(64 / cat[0]) + " MiB/s", cat[0] / raw[0],
        ">=", 0.9);
    std::vector<double> sx = Once("offscreen", {"sx", "1"});
    std::vector<double> xm = Once("offscreen", {"xmodem", "1"});
    Row("11. XMODEM-1K 1 MiB to rx", Num(1 / xm[0]) + " MiB/s", "sx " + Num(1 / sx[0]) + " MiB/s",
        sx[0] / xm[0], ">=", 0.9);
}

void Startup(const Options& o, const std::string& platform) {
    // Each run gets the monotonic clock just before its process starts. The two kinds take
    // turns, so that a machine that gets busier or quieter meanwhile weighs on both alike.
    auto once = [&](const char* what) {
        double t0 = NowSec();
        std::vector<std::string> a = {"startup", what, std::to_string(t0)};
        fprintf(stderr, ".");
        return Once(platform, a)[0];
    };
    std::vector<double> app, minimal;
    for (int i = 0; i < o.runs * 2; ++i) {
        app.push_back(once("app"));
        minimal.push_back(once("minimal"));
    }
    double a = Median(app), m = Median(minimal);
    Row("7. start-up until drawn (" + platform + ")", Num(a * 1e3) + " ms",
        "minimal " + Num(m * 1e3) + " ms", a / m, "<=", 1.5);
}

void Find(const Options& o) {
    for (const char* mode : {"text", "hex"}) {
        std::vector<double> r =
            Runs(std::max(1, o.runs / 2), "offscreen", {"find", mode, Num(o.memMib)});
        std::string what = std::string(mode) == "hex" ? "hex display" : "text display";
        Row("9. find, match at the end of " + Num(o.memMib) + " MiB, " + what,
            Num(r[0] * 1e3) + " ms", "memmem " + Num(r[2] * 1e3) + " ms", r[0] / r[2], "<=", 4);
        Row("9. longest UI stall during that find, " + what, Num(r[1]) + " ms", "target 50 ms",
            r[1] / 50, "<=", 1);
    }
}

// Row 13: the plot window's parser against strtod, and 8 channels at 1000 lines a second with
// the plot open and closed, the two taking turns.
void Plot(const Options& o) {
    for (const char* f : {"columns", "named"}) {
        std::vector<double> r = Runs(std::max(1, o.runs / 2), "offscreen", {"plotparse", "16", f});
        const double mbs = r[4] / r[0] / 1e6, strtodMbs = r[4] / r[2] / 1e6;
        Row(std::string("13. plot parse, 8 channels, ") + f, Num(mbs) + " MB/s",
            "strtod " + Num(strtodMbs) + " MB/s", mbs / 50, ">=", 1);
    }
    std::vector<std::vector<double>> open, closed;
    for (int i = 0; i < std::max(1, o.runs / 2); ++i) {
        if (i % 2) closed.push_back(Once("offscreen", {"plotload", Num(o.plotSec), "closed"}));
        open.push_back(Once("offscreen", {"plotload", Num(o.plotSec), "open"}));
        if (!(i % 2)) closed.push_back(Once("offscreen", {"plotload", Num(o.plotSec), "closed"}));
        fprintf(stderr, "..");
    }
    auto med = [](const std::vector<std::vector<double>>& runs, size_t k, bool share) {
        std::vector<double> v;
        for (const auto& r : runs) v.push_back(share ? r[k] / r[1] : r[k]);
        return Median(v);
    };
    const std::string load = Num(o.plotSec) + " s, 8 ch, " + Num(med(open, 7, false)) + " lines/s";
    Row("13. plot redraws, " + load, Num(med(open, 2, false)) + " /s", "target 20 /s",
        med(open, 2, false) / 20, ">=", 1);
    Row("13. plot UI timer lateness worst (p99 " + Num(med(open, 3, false)) + " ms), " + load,
        Num(med(open, 4, false)) + " ms", "closed " + Num(med(closed, 4, false)) + " ms",
        med(open, 4, false) / 50, "<=", 1);
    Row("13. plot CPU open vs closed, " + load, Num(med(open, 0, true) * 100) + " % core",
        "closed " + Num(med(closed, 0, true) * 100) + " % core",
        med(open, 0, true) / med(closed, 0, true), "<=", 2);
    Row("13. plot bytes per stored sample (" + Num(med(open, 5, false) / 8) + " a channel)",
        Num(med(open, 6, false)) + " B", "target 16 B", med(open, 6, false) / 16, "<=", 1);
}

int Driver(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--quick") {
            o.runs = 3;
            o.mib = 16;
            o.memMib = 32;
            o.paceSec = 3;
            o.respSec = 2;
            o.refreshTicks = 15;
            o.plotSec = 10;
        } else if (a == "--runs" && i + 1 < argc) {
            o.runs = std::max(1, atoi(argv[++i]));
        } else if (a == "--mib" && i + 1 < argc) {
            o.mib = atof(argv[++i]);
        } else if (a == "--xcb") {
            o.xcb = true;
        } else if (a == "--only" && i + 1 < argc) {
            o.only = argv[++i];
        } else {
            fprintf(stderr,
                    "usage: kivern_bench [--quick] [--runs N] [--mib N] [--xcb] [--only LIST]\n");
            return 2;
        }
    }
    g_self = SelfPath();
    printf("| %-58s | %14s | %20s | %6s | %-8s | %-4s |\n", "measurement (median of runs)",
           "kivern", "baseline", "ratio", "target", "");
    printf("|%s|%s|%s|%s|%s|%s|\n", std::string(60, '-').c_str(), std::string(16, '-').c_str(),
           std::string(22, '-').c_str(), std::string(8, '-').c_str(), std::string(10, '-').c_str(),
           std::string(6, '-').c_str());
    if (o.Wants("rx")) {
        Receive(o, "offscreen");
        if (o.xcb) Receive(o, "xcb");
    }
    if (o.Wants("refresh")) Refresh(o);
    if (o.Wants("memory")) Memory(o);
    if (o.Wants("responsive")) Responsive(o);
    if (o.Wants("pace")) {
        Pace(o);
        if (o.xcb) PeerPace(o);
    }
    if (o.Wants("livelog")) LiveLog(o);
    if (o.Wants("send")) Send(o);
    if (o.Wants("files")) Files(o);
    if (o.Wants("find")) Find(o);
    if (o.Wants("plot")) Plot(o);
    if (o.Wants("startup")) {
        Startup(o, "offscreen");
        if (o.xcb) Startup(o, "xcb");
    }
    fprintf(stderr, "\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || std::string(argv[1]) != "--case") return Driver(argc, argv);
    std::string name = argv[2];
    std::vector<std::string> args(argv + 3, argv + argc);
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The offscreen platform says on every window that it cannot pass size hints on.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
        if (!msg.contains(QLatin1String("propagateSizeHints")))
            fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, ctx, msg)));
    });
    Sandbox sandbox;  // the program's folders, set before Qt looks at them
    if (name == "startup") return CaseStartup(args, argc, argv);
    if (name == "cat") return CaseCat(args);
    if (name == "write") return CaseWrite(args);
    if (name == "filecat") return CaseFileCat(args);
    if (name == "sx") return CaseSx(args);
    if (name == "picocom") return CasePicocom(args);
    if (name == "gtkterm") return CaseGtkterm(args);
    QApplication app(argc, argv);
    AfxInitFramework();
    static const std::map<std::string, int (*)(const std::vector<std::string>&)> cases = {
        {"throughput", CaseThroughput}, {"pace", CasePace},        {"responsive", CaseResponsive},
        {"connect", CaseConnect},       {"refresh", CaseRefresh},  {"send", CaseSend},
        {"filesend", CaseFileSend},     {"xmodem", CaseXmodem},    {"find", CaseFind},
        {"plotparse", CasePlotParse},   {"plotload", CasePlotLoad}};
    auto it = cases.find(name);
    if (it == cases.end()) return Fail("no case %s", name.c_str());
    return it->second(args);
}
