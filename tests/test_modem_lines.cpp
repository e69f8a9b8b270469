// The modem lines: DTR and RTS at opening and from the toggles, the input lines shown in the
// status band, a port without modem lines, and the status band's BREAK and reset pulse. A hook
// stands in for an adapter's lines.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <vector>

#include "platform/ui/window_p.h"
#include "support/menu_watcher.h"
#include "support/port_dialog.h"

namespace {

// The lines of a stand-in adapter, and the drive calls it got (with the break's) and when.
DWORD g_lines;
std::vector<DWORD> g_calls;
std::vector<int64_t> g_times;

int FakeLines(DWORD dwFunc, DWORD* lpLines) {
    if (dwFunc == 0) return *lpLines = g_lines, 0;
    g_times.push_back(kvtest::ClockNowMs());
    if (dwFunc == SETBREAK || dwFunc == CLRBREAK) return g_calls.push_back(dwFunc), 0;
    const DWORD bit = dwFunc == SETDTR || dwFunc == CLRDTR ? MS_DTR_ON : MS_RTS_ON;
    g_lines = dwFunc == SETDTR || dwFunc == SETRTS ? g_lines | bit : g_lines & ~bit;
    g_calls.push_back(dwFunc);
    return 0;
}

class ModemLinesTest : public PortDialogTest {
protected:
    void SetUp() override {
        PortDialogTest::SetUp();
        g_lines = 0;
        g_calls.clear();
        g_times.clear();
        SetCommModemHook(FakeLines);
    }
    void TearDown() override {
        PortDialogTest::TearDown();
        SetCommModemHook(nullptr);
    }
    bool Checked(int id) const { return ((CButton*)m_dlg->GetDlgItem(id))->GetCheck() != 0; }
    void ExpectClosedLines() {
        EXPECT_STREQ(Text(IDC_MODEM_STATIC), "");
        for (int id : {IDC_DTR_CHECK, IDC_RTS_CHECK}) {
            EXPECT_FALSE(Enabled(id)) << id;
            EXPECT_FALSE(Checked(id)) << id;
        }
        EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_MODEM_LINES), -1);
    }
};

}  // namespace

TEST_F(ModemLinesTest, OpeningAppliesTheLineOptionsAndLeavesRtsToRtsCts) {
    const struct {
        const char* name;
        int dtr, rts;
        const char* flow;
        DWORD before;  // the outputs as the driver left them
        DWORD after;
        bool rtsToggle;
    } cases[] = {
        {"defaults keep DTR up", KV_LINE_DRIVER, KV_LINE_ON, "None", MS_DTR_ON | MS_RTS_ON,
         MS_DTR_ON | MS_RTS_ON, true},
        {"defaults keep DTR down", KV_LINE_DRIVER, KV_LINE_ON, "None", 0, MS_RTS_ON, true},
        {"both off", KV_LINE_OFF, KV_LINE_OFF, "None", MS_DTR_ON | MS_RTS_ON, 0, true},
        {"DTR on", KV_LINE_ON, KV_LINE_ON, "XON/XOFF", 0, MS_DTR_ON | MS_RTS_ON, true},
        {"RTS/CTS", KV_LINE_OFF, KV_LINE_OFF, "RTS/CTS", MS_DTR_ON | MS_RTS_ON, MS_RTS_ON, false},
    };
    AddDevice(3);
    CreateDialog();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_lines = c.before;
        g_calls.clear();
        m_dlg->m_settings.m_nDtrAtOpen = c.dtr;
        m_dlg->m_settings.m_nRtsAtOpen = c.rts;
        m_dlg->m_cbFlowCtrl.SetCurSel(m_dlg->m_cbFlowCtrl.FindStringExact(-1, c.flow));
        OpenPort("COM3");
        EXPECT_EQ(g_lines & (MS_DTR_ON | MS_RTS_ON), c.after);
        EXPECT_EQ(Checked(IDC_DTR_CHECK), (c.after & MS_DTR_ON) != 0);
        EXPECT_TRUE(Enabled(IDC_DTR_CHECK));
        EXPECT_EQ(Enabled(IDC_RTS_CHECK), c.rtsToggle);
        if (!c.rtsToggle) {
            EXPECT_EQ(g_calls, (std::vector<DWORD>{CLRDTR}));
            // The refused toggle is not reached by a click either.
            EXPECT_FALSE(m_dlg->m_SerialPort.SetRTS(FALSE));
            EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
        }
        kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
        ExpectClosedLines();
    }
}

TEST_F(ModemLinesTest, TogglesDriveTheLinesAndInputsShowWhenTheyChange) {
    g_lines = MS_DTR_ON | MS_RTS_ON | MS_DSR_ON;
    AddDevice(3);
    CreateDialog();
    ExpectClosedLines();
    OpenPort("COM3");
    EXPECT_STREQ(Text(IDC_MODEM_STATIC), "CTS○  DSR●  DCD○  RI○");
    EXPECT_TRUE(Checked(IDC_DTR_CHECK));
    EXPECT_TRUE(Checked(IDC_RTS_CHECK));
    EXPECT_GT(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_MODEM_LINES), -1);

    g_calls.clear();
    kvtest::Click(m_dlg->GetDlgItem(IDC_RTS_CHECK));
    EXPECT_EQ(g_calls, (std::vector<DWORD>{CLRRTS}));
    kvtest::Click(m_dlg->GetDlgItem(IDC_DTR_CHECK));
    kvtest::Click(m_dlg->GetDlgItem(IDC_DTR_CHECK));
    EXPECT_EQ(g_calls, (std::vector<DWORD>{CLRRTS, CLRDTR, SETDTR}));
    EXPECT_EQ(g_lines & (MS_DTR_ON | MS_RTS_ON), (DWORD)MS_DTR_ON);

    // Unchanged inputs are not drawn again; a change is shown at the next tick.
    m_dlg->GetDlgItem(IDC_MODEM_STATIC)->SetWindowText("-");
    kvtest::AdvanceClock(500);
    EXPECT_STREQ(Text(IDC_MODEM_STATIC), "-");
    g_lines = MS_CTS_ON | MS_RLSD_ON | MS_RING_ON;
    kvtest::AdvanceClock(500);
    EXPECT_STREQ(Text(IDC_MODEM_STATIC), "CTS●  DSR○  DCD●  RI●");

    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    ExpectClosedLines();
}

TEST_F(PortDialogTest, APortWithoutModemLinesSaysSoWithoutABox) {
    MessageBoxRecorder boxes;
    AddDevice(3);
    CreateDialog();
    OpenPort("COM3");
    EXPECT_STREQ(m_dlg->m_strPortState, "打开");
    EXPECT_STREQ(Text(IDC_MODEM_STATIC), "控制线不可用");
    EXPECT_FALSE(Enabled(IDC_DTR_CHECK));
    EXPECT_FALSE(Enabled(IDC_RTS_CHECK));
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_MODEM_LINES), -1);
    // Nor can it send a BREAK (Linux has none on a pty pair) or pulse a line.
    kvtest::PressKey(m_dlg.get(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_STREQ(m_dlg->m_strStatus, "端口不支持 BREAK");
    kvtest::PressKey(m_dlg.get(), Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_STREQ(m_dlg->m_strStatus, "无控制线，不能复位");
    EXPECT_EQ(boxes.Count(), 0u);
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    EXPECT_STREQ(Text(IDC_MODEM_STATIC), "");
}

// Ctrl+B and Ctrl+Shift+B: the line is driven for the set time on the virtual clock, then put
// back as it was; the toggles show each step, the status line and the echo tell it.
TEST_F(ModemLinesTest, BreakAndResetPulseHoldTheLineForTheSetTimeThenPutItBack) {
    const struct {
        const char* name;
        int key, mods;
        int resetLine;
        const char* flow;
        DWORD before;  // the outputs before
        std::vector<DWORD> calls;
        const char* echo;    // "" when refused
        const char* status;  // at the end, or the refusal
    } cases[] = {
        {"BREAK",
         Qt::Key_B,
         Qt::ControlModifier,
         KV_RESET_DTR,
         "None",
         MS_DTR_ON | MS_RTS_ON,
         {SETBREAK, CLRBREAK},
         "TX> <BREAK 250 ms>",
         "BREAK 250ms 完成"},
        {"DTR pulse",
         Qt::Key_B,
         Qt::ControlModifier | Qt::ShiftModifier,
         KV_RESET_DTR,
         "None",
         MS_DTR_ON | MS_RTS_ON,
         {CLRDTR, SETDTR},
         "TX> <RESET DTR 100 ms>",
         "已复位 DTR 100ms"},
        {"RTS pulse",
         Qt::Key_B,
         Qt::ControlModifier | Qt::ShiftModifier,
         KV_RESET_RTS,
         "None",
         MS_RTS_ON,
         {CLRRTS, SETRTS},
         "TX> <RESET RTS 100 ms>",
         "已复位 RTS 100ms"},
        {"DTR off before ends off",
         Qt::Key_B,
         Qt::ControlModifier | Qt::ShiftModifier,
         KV_RESET_DTR,
         "None",
         MS_RTS_ON,
         {CLRDTR, SETDTR, CLRDTR},
         "TX> <RESET DTR 100 ms>",
         "已复位 DTR 100ms"},
        {"RTS under RTS/CTS",
         Qt::Key_B,
         Qt::ControlModifier | Qt::ShiftModifier,
         KV_RESET_RTS,
         "RTS/CTS",
         MS_DTR_ON | MS_RTS_ON,
         {},
         "",
         "RTS 由流控占用"},
    };
    MessageBoxRecorder boxes;
    AddDevice(3);
    CreateDialog();
    m_dlg->m_settings.m_bShowSent = TRUE;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_lines = c.before;
        m_dlg->m_settings.m_nDtrAtOpen = KV_LINE_DRIVER;
        m_dlg->m_settings.m_nResetLine = c.resetLine;
        m_dlg->m_cbFlowCtrl.SetCurSel(m_dlg->m_cbFlowCtrl.FindStringExact(-1, c.flow));
        OpenPort("COM3");
        g_calls.clear();
        g_times.clear();
        const bool bReset = (c.mods & Qt::ShiftModifier) != 0;
        const int64_t ms = bReset ? 100 : 250;
        kvtest::PressKey(m_dlg.get(), c.key, c.mods);
        if (*c.echo) {
            EXPECT_TRUE(m_dlg->m_strReceive.Find(c.echo) >= 0) << (const char*)m_dlg->m_strReceive;
            if (bReset) {
                EXPECT_FALSE(Checked(c.resetLine ? IDC_RTS_CHECK : IDC_DTR_CHECK));
            }
            kvtest::AdvanceClock(ms - 1);
            EXPECT_EQ(g_calls.size(), 1u);
            kvtest::AdvanceClock(1);
            ASSERT_GE(g_times.size(), 2u);
            EXPECT_EQ(g_times[1] - g_times[0], ms);
        }
        EXPECT_EQ(g_calls, c.calls);
        EXPECT_EQ(g_lines & (MS_DTR_ON | MS_RTS_ON), c.before);
        EXPECT_EQ(Checked(IDC_DTR_CHECK), (c.before & MS_DTR_ON) != 0);
        EXPECT_STREQ(m_dlg->m_strStatus, c.status);
        kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    }
    // With no port open, a key is refused in the status line.
    kvtest::PressKey(m_dlg.get(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_STREQ(m_dlg->m_strStatus, "串口未打开");
    EXPECT_EQ(m_dlg->m_nStatusColor, 3);
    EXPECT_EQ(boxes.Count(), 0u);
}

// A right click on the status line opens the status band's menu; its entries wait for a port.
TEST_F(ModemLinesTest, TheStatusBandsMenuOffersBreakAndResetWhileAPortIsOpen) {
    AddDevice(3);
    CreateDialog();
    auto menuOf = [&](const QString& pick) {
        QStringList items;
        MenuWatcher watcher([&](QMenu* menu) {
            QAction* picked = nullptr;
            for (QAction* a : menu->actions()) {
                if (a->isSeparator()) continue;
                items << a->text() + (a->isEnabled() ? "" : " (off)");
                if (!pick.isEmpty() && a->text().startsWith(pick)) picked = a;
            }
            if (picked) picked->trigger();
        });
        QWidget* status = kvimpl::WidgetOf(m_dlg->GetDlgItem(IDC_STATUS_STATIC));
        QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(2, 2),
                            status->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(status, &e);
        return items.join("|");
    };
    EXPECT_EQ(
        menuOf(QString()),
        QStringLiteral("发送 BREAK（250 ms）\tCtrl+B (off)|"
                       "复位设备（DTR 拉低 100 ms）\tCtrl+Shift+B (off)|更多设置...\tCtrl+,"));
    OpenPort("COM3");
    g_calls.clear();
    EXPECT_EQ(menuOf(QStringLiteral("发送 BREAK")),
              QStringLiteral("发送 BREAK（250 ms）\tCtrl+B|"
                             "复位设备（DTR 拉低 100 ms）\tCtrl+Shift+B|更多设置...\tCtrl+,"));
    EXPECT_EQ(g_calls, (std::vector<DWORD>{SETBREAK}));
    // Closing the port mid-BREAK ends it first.
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    EXPECT_EQ(g_calls, (std::vector<DWORD>{SETBREAK, CLRBREAK}));
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_LINE_SIGNAL), -1);
}
