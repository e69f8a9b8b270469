// Refresh cost against log size: one tick of the real handlers (4 KiB through OnSerialReceive,
// the 30 ms refresh, scroll to the end and a synchronous paint of the receive display) with
// 0, 10 or 100 MiB already received, in text display (lines of about 60 characters), hex
// display with a line break about every 1 KiB received (as stamps or auto wrap give), and hex
// display without any line break.
#include <QApplication>

#include "bench/cases.h"
#include "bench/dialog_harness.h"

namespace kvbench {
namespace {

constexpr int kTick = 4096;

// Received bytes of the given kind: text lines, or binary data for hex display.
void MakeBytes(std::string& out, size_t n, bool text, uint64_t& counter) {
    out.clear();
    char line[96];
    while (out.size() < n) {
        if (text) {
            int len =
                snprintf(line, sizeof line,
                         "T=23.5 H=41%% \xd6\xd0\xce\xc4 OK %08llu ABCDEFGHIJKLMNOPQRSTUV\r\n",
                         (unsigned long long)counter++);
            out.append(line, (size_t)len);
        } else {
            out.push_back((char)(counter++ * 131 + 7));
        }
    }
    out.resize(n);
}

// Hands n bytes to the dialog as the port would, in deliveries of `piece` bytes; in hex
// display with breaks, each delivery ends its line as the auto-wrap tick would.
void Receive(CKIVERNDlg& dlg, const std::string& bytes, size_t piece, bool breaks) {
    for (size_t i = 0; i < bytes.size(); i += piece) {
        size_t k = std::min(piece, bytes.size() - i);
        dlg.OnSerialReceive((WPARAM)(bytes.data() + i), (LPARAM)k);
        if (breaks) dlg.m_strReceive += "\r\n";
    }
}

}  // namespace

// refresh text|hex|hexflat MiB runs: the median microseconds of one tick, and the receive
// text's length.
int CaseRefresh(const std::vector<std::string>& a) {
    const std::string& kind = a.at(0);
    int64_t n = (int64_t)(std::stod(a.at(1)) * kMiB);
    int runs = std::stoi(a.at(2));
    bool text = kind == "text", breaks = kind == "hex";
    Sandbox sb;
    DialogBench b;
    if (!b.ok()) return Fail("no dialog");
    CKIVERNDlg& dlg = b.dlg();
    dlg.m_bHexDisplay = text ? FALSE : TRUE;
    dlg.UpdateData(FALSE);
    LogView* view = b.view();
    size_t piece = breaks ? 1024 : kTick;
    uint64_t counter = 0;
    std::string bytes;
    // What came before, handed over in large deliveries and shown once.
    dlg.m_strReceive.Reserve((text ? 1 : 3) * (n + (int64_t)(runs + 2) * kTick) + kMiB);
    for (int64_t done = 0; done < n;) {
        size_t k = (size_t)std::min<int64_t>(kMiB, n - done);
        MakeBytes(bytes, k, text, counter);
        Receive(dlg, bytes, breaks ? piece : k, breaks);
        done += (int64_t)k;
    }
    dlg.OnTimer(IDT_RX_REFRESH);
    view->viewport()->repaint();
    QCoreApplication::processEvents();

    std::vector<double> us;
    for (int i = 0; i < runs; ++i) {
        MakeBytes(bytes, kTick, text, counter);
        double t0 = NowSec();
        Receive(dlg, bytes, piece, breaks);
        dlg.OnTimer(IDT_RX_REFRESH);
        view->viewport()->repaint();
        us.push_back((NowSec() - t0) * 1e6);
        QCoreApplication::processEvents();
    }
    printf("%.3f %lld\n", Median(us), (long long)dlg.m_strReceive.GetLength());
    return 0;
}

}  // namespace kvbench
