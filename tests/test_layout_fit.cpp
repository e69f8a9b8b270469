// A screen smaller than the window: 1920 x 1080 at a scale of 2 leaves 960 x 540 for a window
// laid out for 616 pixels of height. The window fits the screen, cannot be made larger than
// it by its minimum, and its controls keep their proportions inside the client area.
#include <QScreen>
#include <QWidget>
#include <cstdlib>

#include "platform/ui/window_p.h"
#include "support/app_env.h"

namespace {
// Before the test application starts: its screen and scale.
const bool g_bScreen = setenv("KVTEST_SCREEN", "1920x1080", 1) == 0 &&
                       setenv("QT_SCALE_FACTOR", "2", 1) == 0;
}  // namespace

TEST_F(DialogTest, AtScale2On1920x1080TheWindowFitsAndKeepsItsProportions) {
    ASSERT_TRUE(g_bScreen);
    CreateDialog();
    kvtest::Pump(50);
    QWidget* w = kvimpl::WidgetOf(m_dlg.get());
    const QRect avail = w->screen()->availableGeometry();
    ASSERT_EQ(avail.height(), 540);
    EXPECT_TRUE(avail.contains(w->frameGeometry())) << w->frameGeometry().height();
    EXPECT_LE(w->minimumHeight(), avail.height());
    EXPECT_LE(w->minimumWidth(), avail.width());

    // Below the least designed height the rows keep their order and lie inside the client.
    RECT client;
    m_dlg->GetClientRect(&client);
    ASSERT_LT(client.bottom, 616);
    const RECT recv = ClientRectOf(IDC_RECEIVE_EDIT), send = ClientRectOf(IDC_SEND_EDIT),
               status = ClientRectOf(IDC_STATUS_GROUP), cmd = ClientRectOf(IDC_CMD_GROUP);
    EXPECT_GT(recv.bottom - recv.top, 0);
    EXPECT_LE(recv.bottom, send.top);
    EXPECT_LE(send.bottom, status.top);
    EXPECT_LE(status.bottom, client.bottom);
    EXPECT_LE(recv.right, cmd.left);
    EXPECT_LE(cmd.right, client.right);
    // A window dragged to the least size shows the same proportions as one made to fit.
    m_dlg->MoveWindow(0, 0, 300, 200);
    kvtest::Pump(20);
    m_dlg->GetClientRect(&client);
    EXPECT_EQ(client.bottom, w->minimumHeight());
    EXPECT_LE(ClientRectOf(IDC_STATUS_GROUP).bottom, client.bottom);
}
