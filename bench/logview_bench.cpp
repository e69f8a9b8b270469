// Receive display benchmark: what one refresh costs when a few KiB arrive on top of a large
// receive text, in text display (lines of about 60 characters), in hex display (one line
// without breaks) and for a device that ends its lines with a lone CR (one line holding
// markers, the costly kind to wrap), what scrolling to the end and painting costs (the whole
// view, and what a tick of the event loop paints), how long a re-wrap after a resize takes,
// and how much memory the view needs next to the text. "ansi" is the text lines coloured by
// escape sequences, with the view reading them and highlighting three words.
//
// Run: kivern_bench_logview [runs]   (Qt's offscreen platform is used unless QT_QPA_PLATFORM
// is set)
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/logview/logview.h"

namespace {

constexpr int64_t kMiB = 1024 * 1024;
constexpr int kAppend = 4096;

// Resident memory of this process in bytes.
int64_t ResidentBytes() {
    FILE* f = fopen("/proc/self/statm", "r");
    if (!f) return 0;
    long pages = 0, resident = 0;
    if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    fclose(f);
    return (int64_t)resident * 4096;
}

// Appends n bytes of the given kind: text lines with a time stamp and some GBK ending in
// CR LF ("text") or in a lone CR ("cr"), or hex pairs ("hex").
void Fill(CString& s, int64_t n, const std::string& kind, int& counter) {
    bool hex = kind == "hex";
    const char* eol = kind == "cr" ? "\r" : "\r\n";
    char line[128];
    int64_t target = s.GetLength() + n;
    while (s.GetLength() < target) {
        int len;
        if (hex)
            len = snprintf(line, sizeof line, "%02X ", counter & 0xFF);
        else if (kind == "ansi")
            len = snprintf(line, sizeof line,
                           "\x1b[36m[2026/12/09 12:%02d:%02d.%03d]\x1b[0m T=23.5 \xd6\xd0\xce\xc4 "
                           "\x1b[1;32mOK\x1b[0m WARN %06d\r\n",
                           counter / 60000 % 60, counter / 1000 % 60, counter % 1000, counter);
        else
            len =
                snprintf(line, sizeof line,
                         "[2026/12/09 12:%02d:%02d.%03d] T=23.5 H=41%% \xd6\xd0\xce\xc4 OK %06d%s",
                         counter / 60000 % 60, counter / 1000 % 60, counter % 1000, counter, eol);
        ++counter;
        s.Append(line, std::min<int64_t>(len, target - s.GetLength()));
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Result {
    std::string kind;
    int mib;
    double fullMs, appendUs, endUs, tickUs, rewrapMs;
    double textMiB, indexMiB, rssMiB;
};

Result Run(const std::string& kind, int mib, int runs) {
    int64_t rss0 = ResidentBytes();
    Result r{kind, mib, 0, 0, 0, 0, 0, 0, 0, 0};
    {
        CString s;
        int counter = 0;
        s.Reserve(mib * kMiB + (int64_t)(2 * runs + 1) * kAppend + 256);
        Fill(s, mib * kMiB, kind, counter);
        LogView view;
        if (kind == "ansi") {
            view.SetAnsiColors(true);
            view.SetHighlights({{"ERROR", false, false, 0xE0302A},
                                {"WARN", false, false, 0xB87800},
                                {"OK", false, false, 0x2E9B3A}});
        }
        view.resize(900, 600);
        view.show();
        QApplication::processEvents();

        // The whole text, first as much as one call indexes, then the steps the event loop runs.
        QElapsedTimer t;
        t.start();
        view.SetText(&s);
        while (view.Index().Behind()) QApplication::processEvents();
        r.fullMs = t.nsecsElapsed() / 1e6;

        std::vector<double> append, end;
        for (int i = 0; i < runs; ++i) {
            Fill(s, kAppend, kind, counter);
            t.start();
            view.SetText(&s);
            append.push_back(t.nsecsElapsed() / 1e3);
            t.start();
            view.LineScroll(view.GetLineCount());
            view.viewport()->repaint();
            end.push_back(t.nsecsElapsed() / 1e3);
        }
        r.appendUs = Median(append);
        r.endUs = Median(end);

        // The refresh tick as the event loop runs it: the view paints what changed.
        std::vector<double> tick;
        for (int i = 0; i < runs; ++i) {
            Fill(s, kAppend, kind, counter);
            t.start();
            view.SetText(&s);
            view.LineScroll(view.GetLineCount());
            QApplication::processEvents();
            tick.push_back(t.nsecsElapsed() / 1e3);
        }
        r.tickUs = Median(tick);

        std::vector<double> rewrap;
        for (int i = 0; i < 3; ++i) {
            t.start();
            view.resize(i % 2 ? 900 : 700, 600);
            rewrap.push_back(t.nsecsElapsed() / 1e6);
        }
        r.rewrapMs = Median(rewrap);
        r.textMiB = s.GetLength() / (double)kMiB;
        r.indexMiB = view.Index().MemoryBytes() / (double)kMiB;
        r.rssMiB = (ResidentBytes() - rss0) / (double)kMiB;
    }
    return r;
}

}  // namespace

// Each case runs in a process of its own, so that the resident memory it reports is its own.
bool RunChild(const char* self, const std::string& kind, int mib, int runs, Result& r) {
    std::string cmd = std::string(self) + " --case " + kind + " " + std::to_string(mib) + " " +
                      std::to_string(runs);
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return false;
    r = Result{kind, mib, 0, 0, 0, 0, 0, 0, 0, 0};
    int n = fscanf(p, "%lf %lf %lf %lf %lf %lf %lf %lf", &r.fullMs, &r.appendUs, &r.endUs,
                   &r.tickUs, &r.rewrapMs, &r.textMiB, &r.indexMiB, &r.rssMiB);
    return pclose(p) == 0 && n == 8;
}

int main(int argc, char** argv) {
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc == 5 && std::string(argv[1]) == "--case") {
        QApplication app(argc, argv);
        {
            LogView warm;  // Qt's own first-use memory is not the view's
            warm.show();
            warm.viewport()->repaint();
        }
        Result r = Run(argv[2], atoi(argv[3]), std::max(1, atoi(argv[4])));
        printf("%f %f %f %f %f %f %f %f\n", r.fullMs, r.appendUs, r.endUs, r.tickUs, r.rewrapMs,
               r.textMiB, r.indexMiB, r.rssMiB);
        return 0;
    }
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string self = n > 0 ? std::string(path, (size_t)n) : std::string(argv[0]);

    std::vector<Result> results;
    for (const char* kind : {"text", "hex", "cr", "ansi"}) {
        for (int mib : {0, 10, 100}) {
            Result r;
            if (!RunChild(self.c_str(), kind, mib, runs, r)) {
                fprintf(stderr, "case %s %d MiB failed\n", kind, mib);
                return 1;
            }
            results.push_back(r);
        }
    }

    printf("Receive display: SetText after appending %d bytes (median of %d runs)\n\n", kAppend,
           runs);
    printf("%-5s %5s | %10s | %11s %6s | %12s %6s | %8s | %9s\n", "data", "MiB", "full ms",
           "append us", "x0MiB", "end+paint us", "x0MiB", "tick us", "rewrap ms");
    for (const Result& r : results) {
        const Result& base = results[&r - &results[0] - (&r - &results[0]) % 3];
        printf("%-5s %5d | %10.2f | %11.1f %6.2f | %12.1f %6.2f | %8.1f | %9.2f\n", r.kind.c_str(),
               r.mib, r.fullMs, r.appendUs, r.appendUs / base.appendUs, r.endUs,
               r.endUs / base.endUs, r.tickUs, r.rewrapMs);
    }
    printf("\nMemory: resident growth of the process while the text and the view existed\n\n");
    printf("%-5s %9s | %9s %7s | %9s %7s\n", "data", "text MiB", "index MiB", "/text", "RSS MiB",
           "/text");
    for (const Result& r : results) {
        if (r.mib == 0) continue;
        printf("%-5s %9.1f | %9.2f %7.3f | %9.1f %7.3f\n", r.kind.c_str(), r.textMiB, r.indexMiB,
               r.indexMiB / r.textMiB, r.rssMiB, r.rssMiB / r.textMiB);
    }
    printf(
        "\nfull: first SetText of the whole text and the indexing steps after it; append: SetText "
        "after %d new bytes;\n"
        "end+paint: LineScroll(GetLineCount()) and a synchronous repaint of the whole view;\n"
        "tick: SetText, LineScroll and the paint the event loop then does (what changed);\n"
        "rewrap: a resize that changes the wrap width.\n",
        kAppend);
    return 0;
}
