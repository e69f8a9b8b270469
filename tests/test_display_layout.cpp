// The receive display's layout options on the real dialog and the virtual clock: a stamp on
// every line, hex rows, and the zoom of its font, kept in the settings file.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QFont>
#include <QWheelEvent>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/ui/window_p.h"
#include "support/port_dialog.h"
#include "support/testing.h"

namespace {
// A delivery after a pause on the clock; bytes starting with "TX:" are sent, not received.
struct Delivery {
    int afterMs;
    std::string bytes;
};
struct LayoutCase {
    const char* name;
    BOOL bHex, bRxTime, bLineStamps, bDelta, bHexRows;
    int nRowBytes;
    std::vector<Delivery> deliveries;
    int endSilenceMs;
    const char* expected;
};

const LayoutCase kCases[] = {
    {"ALineSplitOverTwoReadsGetsOneStampTwoLinesInOneReadGetTwo",
     FALSE,
     FALSE,
     TRUE,
     FALSE,
     FALSE,
     16,
     {{0, "+VERS:1.0\r"}, {5, "\nOK\r\nAT"}, {10, "\r\n"}},
     0,
     "[2024/03/05 14:07:09.042] +VERS:1.0\r\n"
     "[2024/03/05 14:07:09.047] OK\r\n"
     "[2024/03/05 14:07:09.047] AT\r\n"},
    {"LfOnlyLinesWithTheDeltaSinceThePreviousLine",
     FALSE,
     TRUE,
     TRUE,
     TRUE,
     FALSE,
     16,
     {{0, "a\nb"}, {12, "c\n"}, {1000, "d\n"}},
     0,
     "[2024/03/05 14:07:09.042] +0.000 a\n"
     "[2024/03/05 14:07:09.042] +0.000 bc\n"
     "[2024/03/05 14:07:10.054] +1.012 d\n"},
    {"HexLinesEndAfterTheirLineFeed",
     TRUE,
     FALSE,
     TRUE,
     FALSE,
     FALSE,
     16,
     {{0, "OK\r\nA"}},
     0,
     "[2024/03/05 14:07:09.042] 4F 4B 0D 0A \r\n"
     "[2024/03/05 14:07:09.042] 41 "},
    {"HexRowsCarryOffsetsAcrossDeliveriesAndEndWithThePrintableColumn",
     TRUE,
     FALSE,
     FALSE,
     FALSE,
     TRUE,
     8,
     {{0, "AT+VE"}, {20, "RS?\r\nOK"}},
     100,
     "0000  41 54 2B 56 45 52 53 3F  |AT+VERS?|\r\n"
     "0008  0D 0A 4F 4B              |..OK|\r\n"},
    {"ASilenceStartsANewBlockAtOffsetZero",
     TRUE,
     FALSE,
     FALSE,
     FALSE,
     TRUE,
     8,
     {{0, std::string("\x01\x02", 2)}, {150, "\x7F"}},
     100,
     "0000  01 02                    |..|\r\n"
     "0000  7F                       |.|\r\n"},
    {"ABurstStampEndsTheBlockAndSitsAboveIt",
     TRUE,
     TRUE,
     FALSE,
     FALSE,
     TRUE,
     8,
     {{0, "AB"}, {50, "CD"}, {150, "E"}},
     100,
     "[2024/03/05 14:07:09.042]\r\n"
     "0000  41 42 43 44              |ABCD|\r\n"
     "[2024/03/05 14:07:09.242]\r\n"
     "0000  45                       |E|\r\n"},
    {"LineStampsInHexRowsStampEachLinesBlock",
     TRUE,
     FALSE,
     TRUE,
     FALSE,
     TRUE,
     8,
     {{0, "OK\r\nA"}},
     100,
     "[2024/03/05 14:07:09.042]\r\n"
     "0000  4F 4B 0D 0A              |OK..|\r\n"
     "[2024/03/05 14:07:09.042]\r\n"
     "0000  41                       |A|\r\n"},
    {"RowsLeaveTheTextDisplayAlone",
     FALSE,
     FALSE,
     FALSE,
     FALSE,
     TRUE,
     8,
     {{0, "AB"}, {150, "C"}},
     100,
     "ABC"},
};

class DisplayLayoutTest : public PortDialogTest,
                          public ::testing::WithParamInterface<LayoutCase> {};
class DisplayOptionsTest : public PortDialogTest {};
}  // namespace

TEST_P(DisplayLayoutTest, TheReceiveTextIsLaidOutAsChosen) {
    const LayoutCase& c = GetParam();
    CreateDialog();
    m_dlg->m_bHexDisplay = c.bHex;
    m_dlg->m_bRxTime = c.bRxTime;
    m_dlg->UpdateData(FALSE);
    CDisplaySettings& d = m_dlg->m_settings.m_display;
    d.m_bLineStamps = c.bLineStamps;
    d.m_bStampDelta = c.bDelta;
    d.m_bHexRows = c.bHexRows;
    d.m_nHexRowBytes = c.nRowBytes;
    m_dlg->ApplySettings();
    for (const Delivery& dv : c.deliveries) {
        if (dv.afterMs) kvtest::AdvanceClock(dv.afterMs);
        m_dlg->OnSerialReceive((WPARAM)dv.bytes.data(), (LPARAM)dv.bytes.size());
    }
    if (c.endSilenceMs) kvtest::AdvanceClock(c.endSilenceMs);
    EXPECT_EQ(std::string(m_dlg->m_strReceive.GetString(), m_dlg->m_strReceive.GetLength()),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, DisplayLayoutTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A sent line is stamped as a received one, and the line received next gets its own stamp.
TEST_F(DisplayOptionsTest, LineStampsStampEchoedSendsToo) {
    OpenDevicePort(5);
    m_dlg->m_settings.m_bShowSent = TRUE;
    m_dlg->m_settings.m_display.m_bLineStamps = TRUE;
    m_dlg->ApplySettings();
    m_dlg->OnSerialReceive((WPARAM) "ab", 2);
    kvtest::AdvanceClock(10);
    m_dlg->SendQuickCommand("AT", FALSE);
    kvtest::AdvanceClock(10);
    m_dlg->OnSerialReceive((WPARAM) "OK\r\n", 4);
    EXPECT_STREQ(m_dlg->m_strReceive,
                 "[2024/03/05 14:07:09.042] ab\r\n"
                 "[2024/03/05 14:07:09.052] TX> AT\r\n"
                 "[2024/03/05 14:07:09.062] OK\r\n");
}

// Ctrl+=, Ctrl++ and Ctrl+wheel make the display's font larger, Ctrl+- smaller, Ctrl+0 brings
// back the window's own size; the size is kept in the settings file and shown at the next start.
TEST_F(DisplayOptionsTest, ZoomKeysAndTheWheelChangeTheFontAndItIsRemembered) {
    CreateDialog();
    QWidget* view = kvimpl::WidgetOf(m_dlg->GetDlgItem(IDC_RECEIVE_EDIT));
    const int own = view->font().pixelSize();
    ASSERT_EQ(own, KV_FONT_PX_DEFAULT);
    struct Step {
        int key, mods, px;
    };
    const Step steps[] = {
        {Qt::Key_Equal, Qt::ControlModifier, 16},
        {Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, 18},
        {Qt::Key_Minus, Qt::ControlModifier, 16},
        {Qt::Key_0, Qt::ControlModifier, own},
    };
    for (const Step& s : steps) {
        kvtest::PressKey(m_dlg.get(), s.key, s.mods);
        EXPECT_EQ(view->font().pixelSize(), s.px) << s.key;
    }
    auto* area = qobject_cast<QAbstractScrollArea*>(view);
    ASSERT_NE(area, nullptr);
    QWheelEvent wheel(QPointF(10, 10), area->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, 240), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(area->viewport(), &wheel);
    EXPECT_EQ(view->font().pixelSize(), 18);  // two notches
    // Changes close together are written at the next change a second later, or at closing.
    kvtest::AdvanceClock(1000);
    kvtest::PressKey(m_dlg.get(), Qt::Key_Equal, Qt::ControlModifier);
    CKivernSettings saved;
    ASSERT_TRUE(saved.Load());
    EXPECT_EQ(saved.m_display.m_nFontPx, 20);
    m_dlg->DestroyWindow();
    CreateDialog();
    view = kvimpl::WidgetOf(m_dlg->GetDlgItem(IDC_RECEIVE_EDIT));
    EXPECT_EQ(view->font().pixelSize(), 20);
}
