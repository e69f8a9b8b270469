// A checked pattern streamed into the real dialog at a fast line's pace while timed sends run
// every 10 ms and the user saves, clears and switches between text and hex display: every
// byte reaches the receive text and the saved logs, in order, and nothing is dropped.
// KIVERN_STREAM_SECONDS (default 3) and KIVERN_STREAM_BAUD (default 921600) scale it; the
// soak script runs it for minutes.
#include <chrono>
#include <cstdio>
#include <fstream>

#include "platform/ui/filedlg.h"
#include "platform/ui/ui_hooks.h"
#include "support/port_dialog.h"
#include "support/reliability.h"

namespace {

// Resident memory of this process in KiB.
long RssKiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, 6, "VmRSS:") == 0) return atol(line.c_str() + 6);
    return 0;
}

struct Segment {
    int64_t nBytes;  // bytes the dialog counted for this piece
    bool bHex;       // how they were shown
};

class StreamTest : public PortDialogTest {
protected:
    // Saves the receive text, then clears it and switches the display and the send form,
    // all in one go on the UI thread, so no delivery falls between the save and the clear.
    // Checks a piece against the pattern where the last one ended, keeping only its size, so
    // that the test's own memory does not grow with what streamed.
    void CheckPiece(std::vector<Segment>& segments, const std::string& text) {
        Segment seg{m_dlg->m_nRxBytes, m_dlg->m_bHexDisplay != FALSE};
        std::string want = kvtest::RenderPattern(m_nFrom, (uint64_t)seg.nBytes, seg.bHex);
        EXPECT_EQ(text.size(), want.size())
            << "piece " << segments.size() << " from byte " << m_nFrom;
        EXPECT_TRUE(text == want) << "piece " << segments.size() << " from byte " << m_nFrom;
        m_nFrom += (uint64_t)seg.nBytes;
        segments.push_back(seg);
    }

    void SaveClearAndToggle(std::vector<Segment>& segments, int64_t& nTxTotal) {
        std::string path = m_dir + "/log" + std::to_string(segments.size()) + ".txt";
        SetFileDialogHook([&](const FileDialogRecord&, std::string& chosen) {
            chosen = path;
            return true;
        });
        kvtest::Click(m_dlg->GetDlgItem(IDC_SAVE_RX_BUTTON));
        SetFileDialogHook(nullptr);
        std::string saved = ReadBytes(path);
        EXPECT_EQ(saved, m_dlg->m_strReceive.str()) << "log " << segments.size();
        CheckPiece(segments, saved);
        nTxTotal += m_dlg->m_nTxBytes;
        remove(path.c_str());

        // The boxes show the members (written out by the last refresh); a click toggles them.
        bool bHex = !m_dlg->m_bHexDisplay;
        m_dlg->UpdateData(FALSE);
        kvtest::Click(m_dlg->GetDlgItem(IDC_HEX_DISPLAY_CHECK));
        kvtest::Click(m_dlg->GetDlgItem(IDC_HEX_SEND_CHECK));
        m_dlg->GetDlgItem(IDC_SEND_EDIT)->SetWindowText(bHex ? "41540D0A" : "AT\r\n");
        kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_RX_BUTTON));  // reads the boxes back
        ASSERT_EQ(m_dlg->m_bHexDisplay != FALSE, bHex);
        ASSERT_EQ(m_dlg->m_bHexSend != FALSE, bHex);
    }

    uint64_t m_nFrom = 0;  // pattern bytes checked so far
};

}  // namespace

TEST_F(StreamTest, EveryByteReachesTheReceiveTextAndTheLogsInOrder) {
    const long nSeconds = kvtest::EnvNumber("KIVERN_STREAM_SECONDS", 3);
    const long nBaud = kvtest::EnvNumber("KIVERN_STREAM_BAUD", 921600);
    kvtest::FakeDevice& dev = AddDevice(3);
    CreateDialog();
    m_dlg->m_strSend = "AT\r\n";
    m_dlg->m_strInterval = "10";
    m_dlg->m_nInterval = 10;
    m_dlg->m_bTimedSend = TRUE;
    m_dlg->UpdateData(FALSE);
    MessageBoxRecorder boxes;
    // Once open and closed before counting: the port object keeps its events from then on.
    OpenPort("COM3", "921600");
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    const int fds = kvtest::OpenFdCount(), threads = kvtest::ThreadCount();
    OpenPort("COM3", "921600");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    ASSERT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_TIMED_SEND), 10);

    kvtest::PatternStreamer device(dev.master(), nBaud);
    long nRssFirstClear = 0, nRssLastClear = 0;
    int64_t nSlowestTurnMs = 0;
    std::vector<Segment> segments;
    int64_t nTxTotal = 0;
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    auto nextToggle = start + std::chrono::milliseconds(700);
    while (clock::now() - start < std::chrono::seconds(nSeconds)) {
        auto turn = clock::now();
        kvtest::Pump(3);
        kvtest::AdvanceClock(10);  // a timed send; a refresh every third time
        nSlowestTurnMs = std::max<int64_t>(
            nSlowestTurnMs,
            std::chrono::duration_cast<std::chrono::milliseconds>(clock::now() - turn).count());
        if (clock::now() >= nextToggle) {
            SaveClearAndToggle(segments, nTxTotal);
            (nRssFirstClear ? nRssLastClear : nRssFirstClear) = RssKiB();
            nextToggle = clock::now() + std::chrono::milliseconds(700);
        }
    }
    device.Pause();
    int64_t nCounted = 0;
    for (const Segment& s : segments) nCounted += s.nBytes;
    ASSERT_TRUE(kvtest::PumpUntil(
        [&] { return nCounted + m_dlg->m_nRxBytes >= (int64_t)device.Sent(); }, 10000))
        << "counted " << nCounted + m_dlg->m_nRxBytes << " of " << device.Sent();
    kvtest::AdvanceClock(30);
    m_dlg->UpdateData(TRUE);  // a read-back at the end keeps everything too
    CheckPiece(segments, m_dlg->m_strReceive.str());
    nTxTotal += m_dlg->m_nTxBytes;
    EXPECT_EQ(m_dlg->m_SerialPort.GetOverflowCount(), 0u);

    EXPECT_EQ(m_nFrom, device.Sent());
    EXPECT_GE(segments.size(), 3u);  // text, hex and text again at least

    // Every timed send reached the device whole.
    EXPECT_GT(nTxTotal, 0);
    EXPECT_TRUE(kvtest::PumpUntil([&] { return (int64_t)device.Swallowed() >= nTxTotal; }, 5000));
    EXPECT_EQ((int64_t)device.Swallowed(), nTxTotal);
    EXPECT_EQ(boxes.Records().size(), 0u);
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    device.Stop();
    // Nothing gained: the port's thread and descriptors are gone again.
    EXPECT_EQ(kvtest::OpenFdCount(), fds);
    EXPECT_TRUE(kvtest::PumpUntil([&] { return kvtest::ThreadCount() <= threads; }, 5000));
    printf(
        "[ figures  ] streamed %llu bytes in %zu pieces, sent %lld bytes; memory after the "
        "first clear %ld KiB, after the last %ld KiB; slowest turn of the UI %lld ms\n",
        (unsigned long long)device.Sent(), segments.size(), (long long)nTxTotal, nRssFirstClear,
        nRssLastClear, (long long)nSlowestTurnMs);
}
