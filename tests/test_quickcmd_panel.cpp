// The quick-command panel: the twelve send buttons hand their slot to the send path, and
// "隐藏面板" hides and shows the panel while the receive display takes its place.
#include <map>
#include <set>

#include "dialog/CommandSlots.h"
#include "support/app_env.h"
#include "support/msgbox_recorder.h"
#include "support/pty.h"

namespace {

class PanelTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        CreateDialog();
        // The send buttons are disabled while the port is closed; press them anyway.
        for (int id : g_CmdSendIds) m_dlg->GetDlgItem(id)->EnableWindow(TRUE);
    }
    void Click(int id) { kvtest::Click(m_dlg->GetDlgItem(id)); }
    void SetEdit(int nSlot, const char* psz) {
        m_dlg->GetDlgItem(g_CmdEditIds[nSlot])->SetWindowText(psz);
    }
    void Tick(int nSlot, bool bTick) {
        static_cast<CButton*>(m_dlg->GetDlgItem(g_CmdHexIds[nSlot]))->SetCheck(bTick);
    }
    bool Checked(int id) { return static_cast<CButton*>(m_dlg->GetDlgItem(id))->GetCheck() != 0; }
    // The dialog's outer right edge in its client coordinates.
    int OuterRight() const {
        RECT w;
        m_dlg->GetWindowRect(&w);
        m_dlg->ScreenToClient(&w);
        return w.right;
    }
    void Grow(int dx, int dy) {
        RECT w;
        m_dlg->GetWindowRect(&w);
        m_dlg->MoveWindow(w.left, w.top, w.right - w.left + dx, w.bottom - w.top + dy);
    }
};

}  // namespace

TEST_F(PanelTest, ClosedPortRefusesAndChangesNothing) {
    SetEdit(2, "AT");
    MessageBoxRecorder boxes;
    Click(IDC_CMD_SEND3);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_STREQ(boxes.Last().strText, "请首先打开串口");
    EXPECT_EQ(boxes.Last().nType & MB_TYPEMASK, (UINT)MB_OK);
    EXPECT_STREQ(Text(IDC_SEND_EDIT), "");
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 0 Bytes");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), " CLOSED");
    EXPECT_EQ(m_dlg->m_nStatusColor, 0);
}

TEST_F(PanelTest, EachButtonSendsItsOwnSlotAsItStandsAtThePress) {
    // The port object writes to a pseudo-terminal opened behind the dialog's back; the send
    // path only checks the port-state word. The send edit and the counter show what was sent.
    kvtest::FakeDevice dev(m_dir + "/ports", 3);
    ASSERT_TRUE(m_dlg->m_SerialPort.OpenPort(m_dlg.get(), 3));
    m_dlg->m_strPortState = "打开";
    MessageBoxRecorder boxes;
    long long nTotal = 0;
    for (int n = 0; n < 12; ++n) {
        CString text;
        text.Format("AT+S%d", n + 1);
        SetEdit(n, text);  // typed, not saved
        Click(g_CmdSendIds[n]);
        EXPECT_STREQ(m_dlg->m_strSend, text + "\r\n") << "button " << n + 1;
        nTotal += text.GetLength() + 2;
    }
    CString tx;
    tx.Format("TX: %lld Bytes", nTotal);
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), tx);
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Send OK");

    // The HEX box counts in the state it has at the press.
    SetEdit(3, "0d0A");
    Tick(3, true);
    Click(IDC_CMD_SEND4);
    EXPECT_STREQ(Text(IDC_SEND_EDIT), "0d0A");
    EXPECT_TRUE(Checked(IDC_HEX_SEND_CHECK));
    tx.Format("TX: %lld Bytes", nTotal + 2);
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), tx);

    // Invalid hex text is refused and leaves the send edit alone.
    SetEdit(5, "0G");
    Tick(5, true);
    Click(IDC_CMD_SEND6);
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Send Data Error");
    EXPECT_EQ(m_dlg->m_nStatusColor, 3);
    EXPECT_STREQ(Text(IDC_SEND_EDIT), "0d0A");
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), tx);

    // Unticked again, the same slot goes out as text; HEX send stays ticked.
    Tick(3, false);
    Click(IDC_CMD_SEND4);
    EXPECT_STREQ(m_dlg->m_strSend, "0d0A\r\n");
    EXPECT_TRUE(Checked(IDC_HEX_SEND_CHECK));
    EXPECT_EQ(boxes.Count(), 0u);
    m_dlg->m_strPortState = "关闭";
}

TEST_F(PanelTest, HideButtonTogglesThePanelAndTheReceiveWidth) {
    const std::vector<int> ids = kvtest::ChildControlIds(m_dlg.get());
    const RECT recv0 = ClientRectOf(IDC_RECEIVE_EDIT);
    std::set<int> panel(std::begin(g_PanelIds), std::end(g_PanelIds));
    ASSERT_EQ(panel.size(), 42u);

    Click(IDC_HIDE_PANEL_BUTTON);
    EXPECT_TRUE(m_dlg->m_bPanelHidden);
    for (int id : ids)
        EXPECT_EQ(m_dlg->GetDlgItem(id)->IsWindowVisible() != FALSE, !panel.count(id)) << id;
    EXPECT_STREQ(Text(IDC_HIDE_PANEL_BUTTON), "隐藏面板");
    RECT r = ClientRectOf(IDC_RECEIVE_EDIT);
    EXPECT_EQ(r.right, OuterRight() - 12);
    EXPECT_EQ(r.left, recv0.left);
    EXPECT_EQ(r.top, recv0.top);
    EXPECT_EQ(r.bottom, recv0.bottom);

    Click(IDC_HIDE_PANEL_BUTTON);
    EXPECT_FALSE(m_dlg->m_bPanelHidden);
    for (int id : ids) EXPECT_TRUE(m_dlg->GetDlgItem(id)->IsWindowVisible()) << id;
    EXPECT_STREQ(Text(IDC_HIDE_PANEL_BUTTON), "隐藏面板");
    r = ClientRectOf(IDC_RECEIVE_EDIT);
    EXPECT_EQ(r.right, OuterRight() - 220);
    EXPECT_EQ(r.left, recv0.left);
    EXPECT_EQ(r.bottom, recv0.bottom);
}

TEST_F(PanelTest, HiddenPanelFollowsResizingAndComesBackAtTheRightEdge) {
    std::map<int, RECT> panel0;
    for (int id : g_PanelIds) panel0[id] = ClientRectOf(id);

    Click(IDC_HIDE_PANEL_BUTTON);
    const int dx = 90, dy = 40;
    Grow(dx, dy);
    // Hidden, the receive display keeps its 12-pixel margin; the panel is still laid out.
    EXPECT_EQ(ClientRectOf(IDC_RECEIVE_EDIT).right, OuterRight() - 12);
    for (const auto& [id, r0] : panel0) {
        RECT r = ClientRectOf(id);
        EXPECT_EQ(r.left, r0.left + dx) << id;
        EXPECT_EQ(r.top, r0.top) << id;
        EXPECT_EQ(r.right - r.left, r0.right - r0.left) << id;
    }

    Click(IDC_HIDE_PANEL_BUTTON);
    EXPECT_EQ(ClientRectOf(IDC_RECEIVE_EDIT).right, OuterRight() - 220);
    for (const auto& [id, r0] : panel0) {
        EXPECT_TRUE(m_dlg->GetDlgItem(id)->IsWindowVisible()) << id;
        EXPECT_EQ(ClientRectOf(id).left, r0.left + dx) << id;
    }
    // The new margin is the one later resizing keeps.
    Grow(50, 0);
    EXPECT_EQ(ClientRectOf(IDC_RECEIVE_EDIT).right, OuterRight() - 220);
    Grow(-140, -dy);
    EXPECT_EQ(ClientRectOf(IDC_RECEIVE_EDIT).right, OuterRight() - 220);
    EXPECT_EQ(ClientRectOf(IDC_CMD_GROUP).left, panel0[IDC_CMD_GROUP].left);
}
