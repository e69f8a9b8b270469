// Working the main dialog from the keyboard, and reading the receive display back while data
// keeps arriving (scrolling paused).
#include <QWidget>

#include "dialog/CommandSlots.h"
#include "platform/ui/window_p.h"
#include "support/lines.h"
#include "support/port_dialog.h"

namespace {

class KeyboardTest : public PortDialogTest {
protected:
    void Open() {
        m_dev = &AddDevice(3);
        CreateDialog();
        OpenPort("COM3");
        ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    }
    void Press(int id, int key, int mods = 0) {
        m_dlg->GetDlgItem(id)->SetFocus();
        kvtest::PressKey(m_dlg.get(), key, mods);
    }
    bool HasFocus(int id) {
        return kvimpl::WidgetOf(m_dlg.get())->focusWidget() ==
               kvimpl::WidgetOf(m_dlg->GetDlgItem(id));
    }
    kvtest::FakeDevice* m_dev = nullptr;
};

TEST_F(KeyboardTest, CtrlEnterSendsAndEnterBreaksTheLine) {
    Open();
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_SEND_EDIT), "AT");
    Press(IDC_SEND_EDIT, Qt::Key_Return);
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_SEND_EDIT), "B");
    Press(IDC_SEND_EDIT, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(m_dev->Receive(5), "AT\r\nB");
    EXPECT_STREQ(Text(IDC_SEND_EDIT), "AT\r\nB");  // no line break added by the send
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 5 Bytes");
    EXPECT_TRUE(kvtest::IsDialogVisible(m_dlg.get()));
}

TEST_F(KeyboardTest, EnterInAQuickCommandEditSendsThatSlotOnly) {
    Open();
    m_dlg->GetDlgItem(g_CmdEditIds[4])->SetWindowText("AT+E");
    Press(g_CmdEditIds[4], Qt::Key_Return);
    EXPECT_EQ(m_dev->Receive(6), "AT+E\r\n");
    EXPECT_STREQ(m_dlg->m_strSend, "AT+E\r\n");
    EXPECT_TRUE(kvtest::IsDialogVisible(m_dlg.get()));
    // Neither key sends while the buttons cannot be pressed: no box, nothing counted.
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    MessageBoxRecorder boxes;
    Press(g_CmdEditIds[4], Qt::Key_Return);
    Press(IDC_SEND_EDIT, Qt::Key_Enter, Qt::ControlModifier);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 6 Bytes");
}

TEST_F(KeyboardTest, AltKeysReachTheSendEditAndTheReceiveDisplay) {
    CreateDialog();
    Press(IDC_OPEN_BUTTON, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(HasFocus(IDC_SEND_EDIT));
    Press(IDC_SEND_EDIT, Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(HasFocus(IDC_RECEIVE_EDIT));
    EXPECT_STREQ(Text(IDC_SEND_EDIT), "");  // the key typed nothing
    // Tab still passes both by, as before.
    EXPECT_FALSE(kvtest::IsTabStop(m_dlg->GetDlgItem(IDC_SEND_EDIT)));
    EXPECT_FALSE(kvtest::IsTabStop(m_dlg->GetDlgItem(IDC_RECEIVE_EDIT)));
}

TEST_F(KeyboardTest, PausedScrollingKeepsTheViewWhileDataArrives) {
    Open();
    CString first = Lines(200);
    m_dev->Send(first.str());
    ASSERT_TRUE(WaitReceived(first.GetLength()));
    kvtest::AdvanceClock(30);
    CEdit& view = m_dlg->m_editReceive;
    int atEnd = view.GetFirstVisibleLine();
    ASSERT_GT(atEnd, 150);

    m_dlg->OnRxPauseScroll();
    m_dev->Send(first.str());
    ASSERT_TRUE(WaitReceived(2 * first.GetLength()));
    kvtest::AdvanceClock(30);
    kvtest::Pump(50);  // the display's own catching up
    m_dlg->m_editSend.SetWindowText("x");
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(view.GetFirstVisibleLine(), atEnd);
    CString rx;
    rx.Format("RX: %d Bytes", (int)(2 * first.GetLength()));
    EXPECT_STREQ(Text(IDC_RX_COUNT_STATIC), rx);

    m_dlg->OnRxPauseScroll();  // resumed: to the end
    EXPECT_GT(view.GetFirstVisibleLine(), atEnd + 150);
}
}  // namespace
