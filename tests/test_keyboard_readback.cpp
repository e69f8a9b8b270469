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
    void Press(int id, int key, int mods = 0) {
        m_dlg->GetDlgItem(id)->SetFocus();
        kvtest::PressKey(m_dlg.get(), key, mods);
    }
    QWidget* Focused() { return kvimpl::WidgetOf(m_dlg.get())->focusWidget(); }
};

TEST_F(KeyboardTest, KeysSendAsTheButtonsAndReachTheSendEditAndReceiveDisplay) {
    kvtest::FakeDevice& dev = AddDevice(3);
    CreateDialog();
    OpenPort("COM3");
    Press(IDC_OPEN_BUTTON, Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(Focused(), kvimpl::WidgetOf(m_dlg->GetDlgItem(IDC_RECEIVE_EDIT)));
    Press(IDC_RECEIVE_EDIT, Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(Focused(), kvimpl::WidgetOf(m_dlg->GetDlgItem(IDC_SEND_EDIT)));
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_SEND_EDIT), "AT");
    Press(IDC_SEND_EDIT, Qt::Key_Return);  // a line break
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_SEND_EDIT), "B");
    Press(IDC_SEND_EDIT, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(dev.Receive(5), "AT\r\nB");
    m_dlg->GetDlgItem(g_CmdEditIds[4])->SetWindowText("AT+E");
    Press(g_CmdEditIds[4], Qt::Key_Return);
    EXPECT_EQ(dev.Receive(6), "AT+E\r\n");
    EXPECT_TRUE(kvtest::IsDialogVisible(m_dlg.get()));
    // Not while the buttons cannot be pressed: no box, nothing counted.
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    MessageBoxRecorder boxes;
    Press(g_CmdEditIds[4], Qt::Key_Return);
    Press(IDC_SEND_EDIT, Qt::Key_Enter, Qt::ControlModifier);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 11 Bytes");
}

TEST_F(KeyboardTest, PausedScrollingKeepsTheViewWhileDataArrives) {
    kvtest::FakeDevice& dev = AddDevice(3);
    CreateDialog();
    OpenPort("COM3");
    std::string lines = Lines(200).str();
    dev.Send(lines);
    ASSERT_TRUE(WaitReceived((INT_PTR)lines.size()));
    kvtest::AdvanceClock(30);
    int atEnd = m_dlg->m_editReceive.GetFirstVisibleLine();
    m_dlg->OnRxPauseScroll();
    dev.Send(lines);
    ASSERT_TRUE(WaitReceived(2 * (INT_PTR)lines.size()));
    kvtest::AdvanceClock(30);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(m_dlg->m_editReceive.GetFirstVisibleLine(), atEnd);
    EXPECT_STREQ(Text(IDC_RX_COUNT_STATIC),
                 ("RX: " + std::to_string(2 * lines.size()) + " Bytes").c_str());
    m_dlg->OnRxPauseScroll();  // resumed: to the end
    EXPECT_GT(m_dlg->m_editReceive.GetFirstVisibleLine(), atEnd + 150);
}
}  // namespace
