// The modem lines: DTR and RTS at opening and from the toggles, the input lines shown in the
// status band, and a port without modem lines. A hook stands in for an adapter's lines.
#include <vector>

#include "support/port_dialog.h"

namespace {

// The lines of a stand-in adapter, and the drive calls it got.
DWORD g_lines;
std::vector<DWORD> g_calls;

int FakeLines(DWORD dwFunc, DWORD* lpLines) {
    if (dwFunc == 0) return *lpLines = g_lines, 0;
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
    EXPECT_EQ(boxes.Count(), 0u);
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    EXPECT_STREQ(Text(IDC_MODEM_STATIC), "");
}
