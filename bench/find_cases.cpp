// Find case: the find box over a receive text of many MiB whose only match is at its very end;
// the time from "下一个" to the match selected, and the longest gap between turns of the event
// loop meanwhile, against one memmem over the same bytes.
#include <QTimer>

#include "bench/cases.h"
#include "bench/dialog_harness.h"

namespace kvbench {

namespace {
// The receive text: log lines (text) or "%02X " pairs with a line break every 32 bytes (hex),
// then the match.
void FillReceive(CString& s, bool hex, int64_t bytes, const char* tail) {
    s.Reserve((INT_PTR)bytes + 64);
    char line[128];
    for (int64_t i = 0; s.GetLength() < bytes; ++i) {
        if (hex) {
            int n = 0;
            for (int k = 0; k < 32; ++k)
                n += snprintf(line + n, sizeof line - n, "%02X ",
                              (unsigned)((i * 32 + k) * 7 & 0xFF));
            s.Append(line, n);
            s += "\r\n";
        } else {
            int n = snprintf(line, sizeof line, "line %08lld: temp=23.5 hum=40 state=ok\r\n",
                             (long long)i);
            s.Append(line, n);
        }
    }
    s += tail;
}
}  // namespace

// Args: text|hex MiB. Prints: seconds to the match, longest loop gap in ms, memmem seconds.
int CaseFind(const std::vector<std::string>& a) {
    if (a.size() < 2) return Fail("find: text|hex MiB");
    bool hex = a[0] == "hex";
    int64_t bytes = (int64_t)(atof(a[1].c_str()) * kMiB);
    const char* tail = hex ? "DE AD BE EF 55 AA " : "ERROR code=7731 at end\r\n";
    const char* typed = hex ? "de ad be ef 55 aa" : "error CODE=7731";
    DialogBench b;
    if (!b.ok()) return Fail("no dialog");
    CKIVERNDlg& dlg = b.dlg();
    FillReceive(dlg.m_strReceive, hex, bytes, tail);
    int64_t want = dlg.m_strReceive.GetLength() - (int64_t)strlen(tail);
    dlg.UpdateData(FALSE);
    if (!Loop().Run([&] { return !b.view()->Index().Behind(); }, 120))
        return Fail("the display did not index the text");

    dlg.OnRxFind();
    CFindDlg& box = dlg.m_findDlg;
    box.GetDlgItem(IDC_FIND_TEXT)->SetWindowText(typed);
    static_cast<CButton*>(box.GetDlgItem(IDC_FIND_HEX))
        ->SetCheck(hex ? BST_CHECKED : BST_UNCHECKED);
    Loop().Run([] { return false; }, 0.1);

    double last = NowSec(), maxGap = 0;
    QTimer turn;
    QObject::connect(&turn, &QTimer::timeout, [&] {
        double now = NowSec();
        maxGap = std::max(maxGap, now - last);
        last = now;
    });
    turn.start(0);
    Loop().Run([] { return false; }, 0.05);
    maxGap = 0;
    double t0 = NowSec();
    box.OnFindNext();
    if (!Loop().Run([&] { return !box.IsSearching(); }, 120, 1)) return Fail("no end");
    double t1 = NowSec();
    turn.stop();
    DWORD selB = 0, selE = 0;
    dlg.m_editReceive.SendMessage(EM_GETSEL, (WPARAM)&selB, (LPARAM)&selE);
    if ((int64_t)selB != want) return Fail("match at %u, not %lld", selB, (long long)want);

    std::string needle = hex ? "DE AD BE EF 55 AA" : "ERROR code=7731";
    double m0 = NowSec();
    const void* r = memmem(dlg.m_strReceive.GetString(), (size_t)dlg.m_strReceive.GetLength(),
                           needle.data(), needle.size());
    double m1 = NowSec();
    if (!r) return Fail("memmem found nothing");
    printf("%.6f %.3f %.6f\n", t1 - t0, maxGap * 1e3, m1 - m0);
    return 0;
}

}  // namespace kvbench
